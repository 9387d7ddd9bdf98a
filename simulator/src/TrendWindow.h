#pragma once
/// Which instants a trend query asks for: `count` samples `step` apart, the last at `end`.
#include <cstdint>
#include <optional>
#include <string_view>

#include "TimeText.h"

namespace znsim {

struct TrendWindow {
  Millis end = 0;
  Millis step = 1000;
  std::int64_t count = 0;

  Millis TimeOf(std::int64_t index) const { return end - (count - 1 - index) * step; }
  Millis First() const { return TimeOf(0); }
  /// Whether sample times need milliseconds to tell them apart.
  bool Fractional() const { return step % 1000 != 0; }
};

/// A period in seconds as text ("2", "2.5") in whole milliseconds; nullopt when it is not a
/// number, not positive, finer than a millisecond or longer than a year.
std::optional<Millis> PeriodMillis(std::string_view text);

/// The window, or nullopt when its first sample would fall before the epoch (the arithmetic
/// of a huge count times a huge period stays within range because of that check).
std::optional<TrendWindow> MakeTrendWindow(Millis end, Millis step, std::int64_t count);

}  // namespace znsim
