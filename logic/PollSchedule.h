#pragma once
/// When a poll that repeats at an interval runs next. A poll that comes late (the computer
/// stalled, the server was slow) runs once, as soon as it may, and the ones it missed are
/// skipped and counted, never run back to back: no poll starts less than an interval after
/// one that started late.
#include <chrono>
#include <cstdint>

namespace logic {

class PollSchedule {
 public:
  using Clock = std::chrono::steady_clock;

  /// The first poll is due at `start`.
  PollSchedule(Clock::time_point start, Clock::duration interval)
      : due_(start), interval_(interval) {}

  /// When the poll after the one that started at `started` is due, given that it is `now`:
  /// one interval after the last one was due; when that has passed, at once, but not before
  /// an interval after `started`. The polls due in between count as skipped.
  Clock::time_point Next(Clock::time_point started, Clock::time_point now);
  /// Polls skipped so far.
  std::int64_t skipped() const { return skipped_; }

 private:
  Clock::time_point due_;
  Clock::duration interval_;
  std::int64_t skipped_ = 0;
};

}  // namespace logic
