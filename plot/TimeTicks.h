#pragma once
/// Where the time axis of a plot puts its ticks: on round local times (whole seconds,
/// minutes, hours, days, months), so that a reader sees 14:30, 14:45, 15:00 rather than the
/// odd instants that dividing the range evenly gives.
#include <QString>
#include <vector>

namespace plot {

struct TimeTick {
  double ms = 0;  // since the epoch
  QString label;
};

/// The round local times within `fromMs` to `toMs`, at the smallest step that gives no more
/// than `most` of them (at least 2 are asked for). Labels show what the step needs: the
/// milliseconds, the seconds, the time of day, or the date; a tick at midnight within a range
/// of hours shows its date instead of "00:00".
std::vector<TimeTick> RoundTimeTicks(double fromMs, double toMs, int most);

}  // namespace plot
