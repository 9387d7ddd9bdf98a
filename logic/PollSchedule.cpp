#include "PollSchedule.h"

#include <algorithm>

namespace logic {

PollSchedule::Clock::time_point PollSchedule::Next(Clock::time_point started,
                                                   Clock::time_point now) {
  const auto onTime = due_ + interval_;
  // Late: the grid starts again from this poll, so that the rate holds from here on.
  due_ = onTime >= now ? onTime : std::max(now, started + interval_);
  skipped_ += (due_ - onTime) / interval_;
  return due_;
}

}  // namespace logic
