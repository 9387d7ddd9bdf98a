#pragma once
/// Counts the heap allocations of the calling thread, the libraries it calls included: a
/// program that compiles AllocationCount.cpp in takes over malloc and its kin, and passes each
/// to the C library's own after counting it.
#include <cstdint>

namespace bench_support {

/// Allocations made so far by the calling thread.
std::uint64_t ThreadAllocations();

}  // namespace bench_support
