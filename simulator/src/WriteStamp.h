#pragma once
/// When and where a value was written. The two servers of a pair order writes by their stamps,
/// so both keep the same value of a tag whatever order its writes reach them in.
#include <chrono>
#include <cstdint>
#include <string>
#include <tuple>

namespace znsim {

using Micros = std::int64_t;

inline Micros NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

struct WriteStamp {
  Micros at = 0;       // microseconds since the epoch on the writing server's clock
  std::string origin;  // the name of the server that accepted the write
};

/// Whether a write stamped `a` replaces one stamped `b`: the later one wins, and at the same
/// instant the one of the server whose name sorts last, so that both servers choose alike.
inline bool Supersedes(const WriteStamp& a, const WriteStamp& b) {
  return std::tie(a.at, a.origin) > std::tie(b.at, b.origin);
}

inline bool operator==(const WriteStamp& a, const WriteStamp& b) {
  return a.at == b.at && a.origin == b.origin;
}

}  // namespace znsim
