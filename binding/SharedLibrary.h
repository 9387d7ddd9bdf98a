#pragma once
/// An open shared library, closed when its owner goes.
#include <string>

namespace binding {

class SharedLibrary {
 public:
  /// Opens `path` (a bare name goes to the system's search path); on failure the object is
  /// empty and `error` says why.
  SharedLibrary(const std::string& path, std::string& error);
  SharedLibrary() = default;
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  ~SharedLibrary();

  explicit operator bool() const { return handle_ != nullptr; }
  /// The address of an exported symbol, or nullptr.
  void* symbol(const char* name) const;

 private:
  void* handle_ = nullptr;
};

}  // namespace binding
