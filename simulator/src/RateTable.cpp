#include "RateTable.h"

#include <algorithm>
#include <vector>

namespace znsim {

RateTable::RateTable(int burst, Clock::duration interval, std::size_t capacity)
    : interval_(interval),
      span_(interval * std::max(burst, 1)),
      capacity_(std::max<std::size_t>(capacity, 2)) {}

RateTable::Clock::time_point RateTable::FullAt(const std::string& key) const {
  const auto it = full_.find(key);
  return it == full_.end() ? Clock::time_point::min() : it->second;
}

bool RateTable::Take(const std::string& key, Clock::time_point now) {
  const auto next = std::max(FullAt(key), now) + interval_;
  if (next - now > span_) return false;
  if (!full_.contains(key)) MakeRoom(now);
  full_[key] = next;
  return true;
}

void RateTable::Refund(const std::string& key) {
  const auto it = full_.find(key);
  if (it != full_.end()) it->second -= interval_;
}

void RateTable::Reset(const std::string& key) {
  full_.erase(key);
}

RateTable::Clock::duration RateTable::Wait(const std::string& key, Clock::time_point now) const {
  const auto next = std::max(FullAt(key), now) + interval_;
  return std::max(next - now - span_, Clock::duration::zero());
}

bool RateTable::Full(const std::string& key, Clock::time_point now) const {
  return FullAt(key) <= now;
}

RateTable::Clock::duration RateTable::Owed(const std::string& key, Clock::time_point now) const {
  const auto it = full_.find(key);
  return it == full_.end() ? Clock::duration::zero()
                           : std::max(it->second - now, Clock::duration::zero());
}

void RateTable::MakeRoom(Clock::time_point now) {
  if (full_.size() < capacity_) return;
  std::erase_if(full_, [now](const auto& entry) { return entry.second <= now; });
  if (full_.size() < capacity_) return;
  // Every key is busy: forget the half closest to full, which lose the least by it.
  std::vector<Clock::time_point> times;
  times.reserve(full_.size());
  for (const auto& entry : full_) times.push_back(entry.second);
  auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
  std::nth_element(times.begin(), middle, times.end());
  const auto cut = *middle;
  std::erase_if(full_, [cut](const auto& entry) { return entry.second <= cut; });
}

}  // namespace znsim
