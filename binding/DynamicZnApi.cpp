#include "DynamicZnApi.h"

#include <cstdlib>  // std::getenv
#include <optional>

#include "LibraryCandidates.h"
#include "znapi.h"  // the exported signatures, so a changed ABI fails to compile here

namespace server {

namespace {

constexpr std::array<const char*, 16> kEntryNames{
    "znOpen",     "znClose",      "znZncode",      "znTagRead",   "znTagWrite", "znFindFirst",
    "znFindNext", "znFindScroll", "znGetProperty", "znFindClose", "znListNew",  "znListAdd",
    "znListRead", "znListData",   "znListFree",    "znLastError"};

std::optional<std::string> LibraryOverride() {
  const char* path = std::getenv("ZNAPI_LIBRARY");
  if (!path || !*path) return std::nullopt;
  return std::string(path);
}

}  // namespace

const SharedLibrary& DynamicZnApi::library() {
  if (library_) return library_;
  const auto overridePath = LibraryOverride();
  std::string error;
  for (const auto& candidate : LibraryCandidates(overridePath, ExecutableDir())) {
    SharedLibrary attempt(candidate, error);
    if (attempt) {
      library_ = std::move(attempt);
      libraryName_ = candidate;
      return library_;
    }
  }
  throw LibraryError("Cannot load " + overridePath.value_or(kLibraryFileName) + ": " + error);
}

void* DynamicZnApi::entry(Entry which) {
  if (void* known = entries_[which]) return known;
  void* address = library().symbol(kEntryNames[which]);
  if (!address)
    throw LibraryError(std::string("Entry point ") + kEntryNames[which] + " not found in " +
                       libraryName_);
  entries_[which] = address;
  return address;
}

std::int32_t DynamicZnApi::znOpen(const char* computer, const char* user, const char* password,
                                  std::int32_t mode) {
  return resolve<decltype(&::znOpen)>(kOpen)(computer, user, password, mode);
}

std::int32_t DynamicZnApi::znClose(std::int32_t h) {
  return resolve<decltype(&::znClose)>(kClose)(h);
}

std::int32_t DynamicZnApi::znZncode(std::int32_t h, const char* function, std::int32_t window,
                                    std::int32_t mode, char* result, std::int32_t length,
                                    std::int32_t reserved) {
  return resolve<decltype(&::znZncode)>(kZncode)(h, function, window, mode, result, length,
                                                 reserved);
}

std::int32_t DynamicZnApi::znTagRead(std::int32_t h, const char* tag, char* value,
                                     std::int32_t length) {
  return resolve<decltype(&::znTagRead)>(kTagRead)(h, tag, value, length);
}

std::int32_t DynamicZnApi::znTagWrite(std::int32_t h, const char* tag, const char* value) {
  return resolve<decltype(&::znTagWrite)>(kTagWrite)(h, tag, value);
}

std::int32_t DynamicZnApi::znFindFirst(std::int32_t h, const char* table, const char* filter,
                                       std::int32_t* object, std::int32_t flags) {
  return resolve<decltype(&::znFindFirst)>(kFindFirst)(h, table, filter, object, flags);
}

std::int32_t DynamicZnApi::znFindNext(std::int32_t search, std::int32_t* object) {
  return resolve<decltype(&::znFindNext)>(kFindNext)(search, object);
}

std::int32_t DynamicZnApi::znFindScroll(std::int32_t search, std::int32_t mode, std::int32_t offset,
                                        std::int32_t* object) {
  return resolve<decltype(&::znFindScroll)>(kFindScroll)(search, mode, offset, object);
}

std::int32_t DynamicZnApi::znGetProperty(std::int32_t object, const char* name, char* buffer,
                                         std::int32_t length, std::int32_t* resultLength,
                                         std::int32_t type) {
  return resolve<decltype(&::znGetProperty)>(kGetProperty)(object, name, buffer, length,
                                                           resultLength, type);
}

std::int32_t DynamicZnApi::znFindClose(std::int32_t search) {
  return resolve<decltype(&::znFindClose)>(kFindClose)(search);
}

std::int32_t DynamicZnApi::znListNew(std::int32_t h, std::int32_t mode) {
  return resolve<decltype(&::znListNew)>(kListNew)(h, mode);
}

std::int32_t DynamicZnApi::znListAdd(std::int32_t list, const char* tag) {
  return resolve<decltype(&::znListAdd)>(kListAdd)(list, tag);
}

std::int32_t DynamicZnApi::znListRead(std::int32_t list, std::int32_t reserved) {
  return resolve<decltype(&::znListRead)>(kListRead)(list, reserved);
}

std::int32_t DynamicZnApi::znListData(std::int32_t item, char* value, std::int32_t length,
                                      std::int32_t mode) {
  return resolve<decltype(&::znListData)>(kListData)(item, value, length, mode);
}

std::int32_t DynamicZnApi::znListFree(std::int32_t list) {
  return resolve<decltype(&::znListFree)>(kListFree)(list);
}

std::int32_t DynamicZnApi::znLastError(char* buffer, std::int32_t length) {
  void* address = nullptr;
  try {
    address = entry(kLastError);
  } catch (const LibraryError&) {
    return 0;  // a library without reasons works as before
  }
  return reinterpret_cast<decltype(&::znLastError)>(address)(buffer, length);
}

}  // namespace server
