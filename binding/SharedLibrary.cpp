#include "SharedLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace binding {

SharedLibrary::SharedLibrary(const std::string& path, std::string& error) {
  // Never unmapped: a client library registers global state (its wire descriptors) in shared
  // runtime libraries, and unmapping it would leave that state pointing at freed memory.
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle_) {
    const char* why = dlerror();
    error = why ? why : "unknown error";
  }
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    if (handle_) dlclose(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

SharedLibrary::~SharedLibrary() {
  if (handle_) dlclose(handle_);
}

void* SharedLibrary::symbol(const char* name) const {
  return handle_ ? dlsym(handle_, name) : nullptr;
}

}  // namespace binding
