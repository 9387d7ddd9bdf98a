#include "LoginLimiter.h"

namespace znsim {

LoginLimiter::LoginLimiter(const Limits& limits)
    : sources_(limits.burst, limits.interval, limits.capacity),
      users_(limits.burst, limits.interval, limits.capacity),
      trusted_(1, limits.trust, limits.capacity),
      pairs_(limits.burst, limits.interval, limits.capacity) {}

std::string LoginLimiter::Pair(const std::string& source, const std::string& user) {
  return source + '\n' + user;
}

std::optional<LoginLimiter::Clock::duration> LoginLimiter::Refusal(const std::string& source,
                                                                   const std::string& user,
                                                                   Clock::time_point now) {
  std::lock_guard lock(mutex_);
  const std::string pair = Pair(source, user);
  if (!trusted_.Full(pair, now)) {
    if (pairs_.Take(pair, now)) return std::nullopt;
    return pairs_.Wait(pair, now);
  }
  const auto wait = std::max(sources_.Wait(source, now), users_.Wait(user, now));
  if (wait > Clock::duration::zero()) return wait;
  sources_.Take(source, now);
  users_.Take(user, now);
  return std::nullopt;
}

void LoginLimiter::Succeeded(const std::string& source, const std::string& user,
                             Clock::time_point now) {
  std::lock_guard lock(mutex_);
  const std::string pair = Pair(source, user);
  if (!trusted_.Full(pair, now)) {
    pairs_.Refund(pair);
  } else {
    sources_.Refund(source);
    users_.Refund(user);
  }
  trusted_.Reset(pair);
  trusted_.Take(pair, now);
}

std::string TooManyAttempts(LoginLimiter::Clock::duration wait) {
  const auto seconds = std::chrono::ceil<std::chrono::seconds>(wait).count();
  return "too many login attempts; retry in " + std::to_string(std::max<long long>(seconds, 1)) +
         " s";
}

}  // namespace znsim
