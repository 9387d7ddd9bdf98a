#pragma once
/// The resident memory of this process, for the memory goals that benchmarks report.
#include <fstream>
#include <string>

namespace bench_support {

/// VmRSS in megabytes, 0 when it cannot be read.
inline double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
    status.ignore(1 << 16, '\n');
  }
  return 0;
}

}  // namespace bench_support
