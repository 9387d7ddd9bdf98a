#pragma once
/// Limits password checks across connections, so that opening many connections gains a
/// guesser nothing: each source address and each user name gets a burst of checks and then
/// one per interval. A user name is held to its own limit only at addresses that failed it
/// lately, so a guesser at one address cannot lock the real user out at another, while
/// guessers at many addresses share the user's one check per interval.
#include <chrono>
#include <mutex>
#include <optional>
#include <string>

#include "RateTable.h"

namespace znsim {

class LoginLimiter {
 public:
  using Clock = RateTable::Clock;

  explicit LoginLimiter(int burst = 3, Clock::duration interval = std::chrono::seconds(1),
                        std::size_t capacity = 4096);
  LoginLimiter(const LoginLimiter&) = delete;
  LoginLimiter& operator=(const LoginLimiter&) = delete;

  /// nullopt when a password check for `user` from `address` may run now, which counts it;
  /// otherwise how long until one may.
  std::optional<Clock::duration> Refusal(const std::string& address, const std::string& user,
                                         Clock::time_point now = Clock::now());
  /// The check allowed by Refusal() failed.
  void Failed(const std::string& address, const std::string& user,
              Clock::time_point now = Clock::now());
  /// The check allowed by Refusal() succeeded: it does not count against the address, and the
  /// user starts afresh.
  void Succeeded(const std::string& address, const std::string& user);

 private:
  static std::string Pair(const std::string& address, const std::string& user);

  std::mutex mutex_;
  RateTable addresses_;
  RateTable users_;
  RateTable failures_;  // per address and user: not full while that pair failed lately
};

/// The error a refused attempt gets, "too many login attempts; retry in N s".
std::string TooManyAttempts(LoginLimiter::Clock::duration wait);

}  // namespace znsim
