#pragma once
/// The time range a plot shows, and how zooming and panning move it within the data.
#include <algorithm>

namespace plot {

struct TimeSpan {
  double from = 0;  // ms since the epoch
  double to = 0;

  double Length() const { return to - from; }
  bool operator==(const TimeSpan&) const = default;
};

/// The narrowest range a plot zooms to: a second, where the time axis still reads.
inline constexpr double kMinSpanMs = 1000;

/// `span` moved back inside `all` (the data's range) with its length kept, no longer than
/// `all` and no shorter than the narrowest zoom. A range of no length (a single sample)
/// gets the narrowest zoom around it.
inline TimeSpan Confine(TimeSpan span, TimeSpan all) {
  if (all.Length() < kMinSpanMs) {
    const double middle = (all.from + all.to) / 2;
    all = {middle - kMinSpanMs / 2, middle + kMinSpanMs / 2};
  }
  const double length = std::clamp(span.Length(), kMinSpanMs, all.Length());
  const double from = std::clamp(span.from, all.from, all.to - length);
  return {from, from + length};
}

/// Zooms by `factor` (below 1 closer, above 1 further) keeping the time under `anchor` in
/// place on screen.
inline TimeSpan ZoomAround(TimeSpan span, double anchor, double factor, TimeSpan all) {
  const TimeSpan zoomed{anchor - (anchor - span.from) * factor,
                        anchor + (span.to - anchor) * factor};
  if (zoomed.Length() < kMinSpanMs) {  // stop at the narrowest zoom without drifting
    const double share = span.Length() > 0 ? (anchor - span.from) / span.Length() : 0.5;
    return Confine({anchor - share * kMinSpanMs, anchor + (1 - share) * kMinSpanMs}, all);
  }
  return Confine(zoomed, all);
}

/// Moves the range by `deltaMs`, stopping at the ends of the data.
inline TimeSpan Pan(TimeSpan span, double deltaMs, TimeSpan all) {
  return Confine({span.from + deltaMs, span.to + deltaMs}, all);
}

}  // namespace plot
