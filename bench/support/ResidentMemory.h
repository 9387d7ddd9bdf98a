#pragma once
/// The resident memory of a process, for the memory goals that benchmarks report.
#include <fstream>
#include <string>

namespace bench_support {

/// A figure of /proc/PROCESS/status ("VmRSS:" now, "VmHWM:" at its peak) in megabytes, 0 when
/// it cannot be read.
inline double StatusMegabytes(const std::string& process, const std::string& field) {
  std::ifstream status("/proc/" + process + "/status");
  std::string key;
  while (status >> key) {
    if (key == field) {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
    status.ignore(1 << 16, '\n');
  }
  return 0;
}

/// VmRSS of this process in megabytes.
inline double ResidentMegabytes() {
  return StatusMegabytes("self", "VmRSS:");
}

}  // namespace bench_support
