#pragma once
/// Slows down password guessing: each refused login from a peer address makes the next
/// refusal to that address wait longer, up to a cap that still answers within a client's
/// connect deadline.
#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace znsim {

class LoginThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  explicit LoginThrottle(std::chrono::milliseconds first = std::chrono::milliseconds(250),
                         std::chrono::milliseconds cap = std::chrono::milliseconds(2000))
      : first_(first), cap_(cap) {}

  /// Records a refusal and returns how long to hold the reply back.
  std::chrono::milliseconds Refused(const std::string& peer, Clock::time_point now = Clock::now());
  /// A successful login clears the peer's record.
  void Accepted(const std::string& peer);

 private:
  struct Record {
    int failures = 0;
    Clock::time_point last;
  };
  void ForgetOld(Clock::time_point now);

  std::chrono::milliseconds first_;
  std::chrono::milliseconds cap_;
  std::mutex mutex_;
  std::unordered_map<std::string, Record> records_;
};

}  // namespace znsim
