#pragma once
/// One curve's points as a chart reads them, whatever keeps them: the samples of a trend
/// request, or a watched tag's history that grows as the watch polls.
#include <QString>
#include <cstddef>
#include <cstdint>

namespace plot {

class PlotSeries {
 public:
  virtual ~PlotSeries() = default;
  virtual std::size_t size() const = 0;
  /// Milliseconds since the epoch, in time order.
  virtual double TimeMs(std::size_t i) const = 0;
  /// NaN for a bad sample or a gap.
  virtual double Value(std::size_t i) const = 0;
  virtual QString Quality(std::size_t) const { return {}; }
  /// Samples dropped from the front since the series began.
  virtual std::uint64_t Dropped() const { return 0; }
};

}  // namespace plot
