#pragma once
/// Figures of /proc/PID/stat that benchmarks report for a server process: its CPU time and the
/// memory it touched for the first time.
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

namespace bench_support {

/// Fields 3 onwards of /proc/PID/stat: element n - 3 is field n. Empty when it cannot be read.
inline std::vector<std::string> StatFields(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  // The name in field 2 may hold spaces: skip to its closing parenthesis.
  std::getline(stat, field, ')');
  std::vector<std::string> fields;
  while (stat >> field) fields.push_back(field);
  return fields;
}

/// User and system CPU seconds of process `pid`; 0 when they cannot be read.
inline double CpuSeconds(int pid) {
  const auto fields = StatFields(pid);
  if (fields.size() < 13) return 0;
  return (std::stod(fields[14 - 3]) + std::stod(fields[15 - 3])) /
         static_cast<double>(sysconf(_SC_CLK_TCK));
}

/// Minor page faults of process `pid` so far; 0 when they cannot be read.
inline long PageFaults(int pid) {
  const auto fields = StatFields(pid);
  return fields.size() < 8 ? 0 : std::stol(fields[10 - 3]);
}

}  // namespace bench_support
