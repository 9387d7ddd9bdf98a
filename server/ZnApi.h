#pragma once
/// The table of the client library's entry points, as the program calls them. The windows
/// and the connection table reach the server only through this seam, so tests can put a
/// scripted library in its place.
#include <array>
#include <cstdint>
#include <cstring>  // strnlen
#include <stdexcept>
#include <string>

namespace server {

/// Raised at a call when the library or one of its entry points cannot be loaded.
class LibraryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ZnApi {
 public:
  virtual ~ZnApi() = default;
  virtual std::int32_t znOpen(const char* computer, const char* user, const char* password,
                              std::int32_t mode) = 0;
  virtual std::int32_t znClose(std::int32_t h) = 0;
  virtual std::int32_t znZncode(std::int32_t h, const char* function, std::int32_t window,
                                std::int32_t mode, char* result, std::int32_t length,
                                std::int32_t reserved) = 0;
  virtual std::int32_t znTagRead(std::int32_t h, const char* tag, char* value,
                                 std::int32_t length) = 0;
  virtual std::int32_t znTagWrite(std::int32_t h, const char* tag, const char* value) = 0;
  virtual std::int32_t znFindFirst(std::int32_t h, const char* table, const char* filter,
                                   std::int32_t* object, std::int32_t flags) = 0;
  virtual std::int32_t znFindNext(std::int32_t search, std::int32_t* object) = 0;
  virtual std::int32_t znFindScroll(std::int32_t search, std::int32_t mode, std::int32_t offset,
                                    std::int32_t* object) = 0;
  virtual std::int32_t znGetProperty(std::int32_t object, const char* name, char* buffer,
                                     std::int32_t length, std::int32_t* resultLength,
                                     std::int32_t type) = 0;
  virtual std::int32_t znFindClose(std::int32_t search) = 0;
  virtual std::int32_t znListNew(std::int32_t h, std::int32_t mode) = 0;
  virtual std::int32_t znListAdd(std::int32_t list, const char* tag) = 0;
  virtual std::int32_t znListRead(std::int32_t list, std::int32_t reserved) = 0;
  virtual std::int32_t znListData(std::int32_t item, char* value, std::int32_t length,
                                  std::int32_t mode) = 0;
  virtual std::int32_t znListFree(std::int32_t list) = 0;
  /// The reason for this thread's last failed call, with the same buffer rules; 1 when there
  /// is one. An extension that a library may lack: then, or when no library can be loaded,
  /// it answers 0 and raises nothing, so a caller needs no other test.
  virtual std::int32_t znLastError(char* buffer, std::int32_t length) = 0;

  /// The reason for this thread's last failed call as text, read at once after the call; empty
  /// when the library gives none.
  std::string LastReason() {
    std::array<char, 256> reason{};
    if (znLastError(reason.data(), static_cast<std::int32_t>(reason.size())) == 0) return {};
    return std::string(reason.data(), strnlen(reason.data(), reason.size()));
  }
};

}  // namespace server
