#pragma once
/// The real library seam: libznapi.so, loaded at the first call and resolved entry point by
/// entry point, so any library with the same ABI can be dropped in.
#include <array>
#include <string>

#include "SharedLibrary.h"
#include "ZnApi.h"

namespace server {

class DynamicZnApi : public ZnApi {
 public:
  /// Nothing is loaded until the first call. The library is looked for in the file named by
  /// ZNAPI_LIBRARY if set, else beside the executable, then on the system's search path.
  /// A call that finds no library, or not its entry point, raises LibraryError; the next
  /// call tries again, so a library installed meanwhile is picked up.
  DynamicZnApi() = default;

  std::int32_t znOpen(const char* computer, const char* user, const char* password,
                      std::int32_t mode) override;
  std::int32_t znClose(std::int32_t h) override;
  std::int32_t znZncode(std::int32_t h, const char* function, std::int32_t window,
                        std::int32_t mode, char* result, std::int32_t length,
                        std::int32_t reserved) override;
  std::int32_t znTagRead(std::int32_t h, const char* tag, char* value,
                         std::int32_t length) override;
  std::int32_t znTagWrite(std::int32_t h, const char* tag, const char* value) override;
  std::int32_t znFindFirst(std::int32_t h, const char* table, const char* filter,
                           std::int32_t* object, std::int32_t flags) override;
  std::int32_t znFindNext(std::int32_t search, std::int32_t* object) override;
  std::int32_t znFindScroll(std::int32_t search, std::int32_t mode, std::int32_t offset,
                            std::int32_t* object) override;
  std::int32_t znGetProperty(std::int32_t object, const char* name, char* buffer,
                             std::int32_t length, std::int32_t* resultLength,
                             std::int32_t type) override;
  std::int32_t znFindClose(std::int32_t search) override;
  std::int32_t znListNew(std::int32_t h, std::int32_t mode) override;
  std::int32_t znListAdd(std::int32_t list, const char* tag) override;
  std::int32_t znListRead(std::int32_t list, std::int32_t reserved) override;
  std::int32_t znListData(std::int32_t item, char* value, std::int32_t length,
                          std::int32_t mode) override;
  std::int32_t znListFree(std::int32_t list) override;
  std::int32_t znLastError(char* buffer, std::int32_t length) override;

 private:
  enum Entry : std::size_t {
    kOpen,
    kClose,
    kZncode,
    kTagRead,
    kTagWrite,
    kFindFirst,
    kFindNext,
    kFindScroll,
    kGetProperty,
    kFindClose,
    kListNew,
    kListAdd,
    kListRead,
    kListData,
    kListFree,
    kLastError,  // optional: an extension other libraries may lack
    kEntryCount
  };

  /// The loaded library; loads it first if needed, or raises LibraryError.
  const SharedLibrary& library();
  /// The address of one entry point, or raises LibraryError.
  void* entry(Entry which);
  template <typename Fn>
  Fn resolve(Entry which) {
    return reinterpret_cast<Fn>(entry(which));
  }

  SharedLibrary library_;
  std::string libraryName_;  // as loaded, for messages
  std::array<void*, kEntryCount> entries_{};
};

}  // namespace server
