#pragma once
/// Limits password checks, so that opening many connections, or guessing from many addresses,
/// gains a guesser nothing. Every user name has one allowance across all sources: a burst of
/// checks, then one per interval. A source where that user logged in within the last day
/// keeps an allowance of its own for the user instead, so guessers elsewhere cannot lock the
/// real user out. Each source (see SourceOf) also has an allowance across user names, so one
/// source cannot keep the password checks busy by trying many names.
///
/// Every table is bounded (`capacity` keys each). At the bound a table first forgets what no
/// longer counts (full allowances, expired trust); if all of it still counts, it forgets the
/// half that weighs least: the allowances nearest to full, the oldest logins. So a flood of
/// names or sources costs at most a burst of extra checks, and a trusted source forgotten
/// falls back to the user's common allowance.
#include <chrono>
#include <mutex>
#include <optional>
#include <string>

#include "RateTable.h"

namespace znsim {

class LoginLimiter {
 public:
  using Clock = RateTable::Clock;

  struct Limits {
    int burst = 3;
    Clock::duration interval = std::chrono::seconds(1);
    Clock::duration trust = std::chrono::hours(24);
    std::size_t capacity = 4096;
  };

  LoginLimiter() : LoginLimiter(Limits{}) {}
  explicit LoginLimiter(const Limits& limits);
  LoginLimiter(const LoginLimiter&) = delete;
  LoginLimiter& operator=(const LoginLimiter&) = delete;

  /// nullopt when a password check for `user` from `source` may run now, which counts it;
  /// otherwise how long until one may.
  std::optional<Clock::duration> Refusal(const std::string& source, const std::string& user,
                                         Clock::time_point now = Clock::now());
  /// The check allowed by Refusal() succeeded: it was no guess, so it costs nothing, and the
  /// source is trusted for the user from now on.
  void Succeeded(const std::string& source, const std::string& user,
                 Clock::time_point now = Clock::now());

 private:
  static std::string Pair(const std::string& source, const std::string& user);

  std::mutex mutex_;
  RateTable sources_;
  RateTable users_;
  RateTable trusted_;  // per source and user: not full while the user logged in there lately
  RateTable pairs_;    // the allowance of a trusted source for its user
};

/// The error a refused attempt gets, "too many login attempts; retry in N s".
std::string TooManyAttempts(LoginLimiter::Clock::duration wait);

}  // namespace znsim
