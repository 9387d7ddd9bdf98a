#pragma once
/// The seam to the client library: one virtual function per operation of the entry table, as
/// the program calls them. The windows and the connection table reach the server only through
/// this seam, so tests can put a scripted library in its place.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "EntryTable.h"
#include "ResultBuffer.h"

namespace binding {

/// Raised at a call when the library or one of its entry points cannot be loaded.
class LibraryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ZnApi {
 public:
  virtual ~ZnApi() = default;
  // znLastError, the one extension, answers 0 and raises nothing when the library lacks it
  // or cannot be loaded, so a caller needs no other test.
#define ZN_DECLARE(name, role, kinds, parameters, arguments) \
  virtual std::int32_t name parameters = 0;
  ZN_OPERATIONS(ZN_DECLARE)
#undef ZN_DECLARE

  /// The reason for this thread's last failed call as text, read at once after the call; empty
  /// when the library gives none.
  std::string LastReason() {
    ResultBuffer reason;
    if (znLastError(reason.data(), reason.length()) == 0) return {};
    return reason.text();
  }
};

/// An operation declared as an override: ZN_OPERATIONS(ZN_OVERRIDE) in a class derived from
/// ZnApi declares them all.
#define ZN_OVERRIDE(name, role, kinds, parameters, arguments) std::int32_t name parameters override;

}  // namespace binding
