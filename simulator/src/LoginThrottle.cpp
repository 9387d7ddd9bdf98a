#include "LoginThrottle.h"

#include <algorithm>

namespace znsim {

namespace {

// A peer that stayed quiet this long starts afresh; it also bounds the table's size.
constexpr auto kForgetAfter = std::chrono::minutes(10);
constexpr std::size_t kPruneAbove = 4096;

}  // namespace

std::chrono::milliseconds LoginThrottle::Refused(const std::string& peer, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  if (records_.size() > kPruneAbove) ForgetOld(now);
  Record& record = records_[peer];
  if (record.failures > 0 && now - record.last > kForgetAfter) record.failures = 0;
  record.failures = std::min(record.failures + 1, 30);
  record.last = now;
  auto delay = first_;
  for (int i = 1; i < record.failures && delay < cap_; ++i) delay *= 2;
  return std::min(delay, cap_);
}

void LoginThrottle::Accepted(const std::string& peer) {
  std::lock_guard lock(mutex_);
  records_.erase(peer);
}

void LoginThrottle::ForgetOld(Clock::time_point now) {
  std::erase_if(records_,
                [&](const auto& entry) { return now - entry.second.last > kForgetAfter; });
}

}  // namespace znsim
