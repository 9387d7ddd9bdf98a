#pragma once
/// The real library seam: libznapi.so, loaded at the first call and resolved entry point by
/// entry point, so any library with the same ABI can be dropped in.
#include <array>
#include <string>

#include "SharedLibrary.h"
#include "ZnApi.h"

namespace binding {

class DynamicZnApi : public ZnApi {
 public:
  /// Nothing is loaded until the first call. The library is looked for in the file named by
  /// ZNAPI_LIBRARY if set, else beside the executable, then on the system's search path.
  /// A call that finds no library, or not its entry point, raises LibraryError; the next
  /// call tries again, so a library installed meanwhile is picked up.
  DynamicZnApi() = default;

  ZN_OPERATIONS(ZN_OVERRIDE)

 private:
  /// The loaded library; loads it first if needed, or raises LibraryError.
  const SharedLibrary& library();
  /// The address of an operation's entry point, or raises LibraryError.
  void* entry(ZnOp op);
  /// The address of an extension's entry point, or nullptr when it cannot be had.
  void* optionalEntry(ZnOp op);

  SharedLibrary library_;
  std::string libraryName_;  // as loaded, for messages
  std::array<void*, kOperations.size()> entries_{};
};

}  // namespace binding
