#include "DynamicZnApi.h"

#include <cstdlib>  // std::getenv
#include <optional>
#include <type_traits>

#include "LibraryCandidates.h"
#include "znapi.h"  // the exported signatures: a line of the entry table that differs fails here

namespace binding {

namespace {

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

void* DynamicZnApi::entry(ZnOp op) {
  void*& known = entries_[static_cast<std::size_t>(op)];
  if (known) return known;
  const char* name = OperationOf(op).name;
  void* address = library().symbol(name);
  if (!address)
    throw LibraryError(std::string("Entry point ") + name + " not found in " + libraryName_);
  known = address;
  return address;
}

void* DynamicZnApi::optionalEntry(ZnOp op) {
  try {
    return entry(op);
  } catch (const LibraryError&) {
    return nullptr;  // a library without the extension works as before
  }
}

#define ZN_DEFINE(name, role, kinds, parameters, arguments)                    \
  static_assert(std::is_same_v<decltype(&::name), std::int32_t(*) parameters>, \
                #name ": the entry table's signature differs from znapi.h");   \
  std::int32_t DynamicZnApi::name parameters {                                 \
    using Entry = decltype(&::name);                                           \
    if constexpr (OpRole::role == OpRole::Extension) {                         \
      void* address = optionalEntry(ZnOp::name);                               \
      return address ? reinterpret_cast<Entry>(address) arguments : 0;         \
    } else {                                                                   \
      return reinterpret_cast<Entry>(entry(ZnOp::name)) arguments;             \
    }                                                                          \
  }
ZN_OPERATIONS(ZN_DEFINE)
#undef ZN_DEFINE

}  // namespace binding
