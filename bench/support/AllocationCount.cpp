#include "AllocationCount.h"

#include <cerrno>
#include <cstddef>

// The C library's own entry points, which it exports beside the ones replaced here.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

// Plain thread-local storage of the executable: reading it allocates nothing, unlike
// storage that a shared library would have to set up on first use.
thread_local std::uint64_t allocations = 0;

}  // namespace

extern "C" {

void* malloc(std::size_t size) {
  ++allocations;
  return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
  ++allocations;
  return __libc_calloc(count, size);
}

void* realloc(void* block, std::size_t size) {
  ++allocations;
  return __libc_realloc(block, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
  ++allocations;
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** block, std::size_t alignment, std::size_t size) {
  ++allocations;
  *block = __libc_memalign(alignment, size);
  return *block ? 0 : ENOMEM;
}

}  // extern "C"

namespace bench_support {

std::uint64_t ThreadAllocations() {
  return allocations;
}

}  // namespace bench_support
