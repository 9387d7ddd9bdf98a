#include "WatchHistory.h"

#include <algorithm>
#include <cmath>

#include "NumericText.h"
#include "WatchCycle.h"

namespace logic {

void WatchHistory::Series::Push(std::int64_t timeMs, double value, std::size_t capacity) {
  if (!points_.empty()) timeMs = std::max(timeMs, points_.back().timeMs);
  if (points_.size() == capacity) {
    points_.pop_front();
    ++dropped_;
  }
  points_.push_back({timeMs, value});
}

WatchHistory::WatchHistory(QStringList tagNames, std::size_t capacityPerTag)
    : names_(std::move(tagNames)),
      series_(static_cast<std::size_t>(names_.size())),
      capacity_(std::max<std::size_t>(
          2, std::min(capacityPerTag, kMostPoints / std::max<std::size_t>(1, series_.size())))) {}

void WatchHistory::Append(std::size_t tag, std::int64_t timeMs, double value) {
  if (!std::isfinite(value)) return;
  series_.at(tag).Push(timeMs, value, capacity_);
  latestMs_ = std::max(latestMs_, timeMs);
}

void WatchHistory::Gap(std::size_t tag, std::int64_t timeMs) {
  series_.at(tag).Push(timeMs, std::nan(""), capacity_);
  latestMs_ = std::max(latestMs_, timeMs);
}

void WatchHistory::Gap(std::int64_t timeMs) {
  for (std::size_t tag = 0; tag < series_.size(); ++tag) Gap(tag, timeMs);
}

void AppendCycle(WatchHistory& history, const WatchCycle& cycle) {
  const std::int64_t timeMs = cycle.time.toMSecsSinceEpoch();
  if (cycle.gap) return history.Gap(timeMs);
  for (std::size_t tag = 0; tag < history.TagCount() && tag < cycle.values.size(); ++tag) {
    const binding::ListValue& read = cycle.values[tag];
    if (read.outcome != binding::ListValue::Outcome::Read) {
      history.Gap(tag, timeMs);
    } else if (const auto number = binding::ParseNumericText(read.text)) {
      history.Append(tag, timeMs, *number);
    }
  }
}

}  // namespace logic
