#include "LoginLimiter.h"

namespace znsim {

namespace {

// How long a failure marks its address as suspect for that user name.
constexpr auto kSuspicion = std::chrono::minutes(10);

}  // namespace

LoginLimiter::LoginLimiter(int burst, Clock::duration interval, std::size_t capacity)
    : addresses_(burst, interval, capacity),
      users_(burst, interval, capacity),
      failures_(1, kSuspicion, capacity) {}

std::string LoginLimiter::Pair(const std::string& address, const std::string& user) {
  return address + '\n' + user;
}

std::optional<LoginLimiter::Clock::duration> LoginLimiter::Refusal(const std::string& address,
                                                                   const std::string& user,
                                                                   Clock::time_point now) {
  std::lock_guard lock(mutex_);
  auto wait = addresses_.Wait(address, now);
  if (!failures_.Full(Pair(address, user), now)) wait = std::max(wait, users_.Wait(user, now));
  if (wait > Clock::duration::zero()) return wait;
  addresses_.Take(address, now);
  // Counted at a clean address too, so that guessers at many addresses use up the user's
  // tokens for one another.
  users_.Take(user, now);
  return std::nullopt;
}

void LoginLimiter::Failed(const std::string& address, const std::string& user,
                          Clock::time_point now) {
  std::lock_guard lock(mutex_);
  failures_.Take(Pair(address, user), now);
}

void LoginLimiter::Succeeded(const std::string& address, const std::string& user) {
  std::lock_guard lock(mutex_);
  addresses_.Refund(address);
  users_.Reset(user);
  failures_.Reset(Pair(address, user));
}

std::string TooManyAttempts(LoginLimiter::Clock::duration wait) {
  const auto seconds = std::chrono::ceil<std::chrono::seconds>(wait).count();
  return "too many login attempts; retry in " + std::to_string(std::max<long long>(seconds, 1)) +
         " s";
}

}  // namespace znsim
