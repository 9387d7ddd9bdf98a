#pragma once
/// Reducing a long series to what a plot can show: per pixel column the lowest and the highest
/// sample, so that a million samples draw as a few thousand points that look the same.
#include <QPointF>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace plot {

/// Polylines to draw, broken where the samples are bad.
struct Polylines {
  std::vector<QPointF> points;      // (time in ms, value)
  std::vector<std::size_t> starts;  // where each polyline begins in `points`
  std::size_t End(std::size_t line) const {
    return line + 1 < starts.size() ? starts[line + 1] : points.size();
  }
};

/// The visible part, from `from` to `to` (ms), of a series in time order with `columns` pixel
/// columns. `Series` offers size(), TimeMs(i) and Value(i), NaN marking a bad sample.
///
/// Each column gives its lowest and highest good sample, in time order; each polyline also
/// keeps its first and last sample, so it reaches exactly to a gap. The nearest sample on
/// either side of the range is kept too, so the line runs on to the edge. A column whose
/// samples are all bad breaks the line; a bad sample among good ones in the same column is
/// narrower than a pixel and does not. Columns without samples are bridged.
template <typename Series>
Polylines DecimateMinMax(const Series& series, double from, double to, int columns) {
  Polylines out;
  const std::size_t n = series.size();
  if (n == 0 || columns <= 0 || !(to > from)) return out;
  const auto timeBelow = [&](std::size_t i, double t) { return series.TimeMs(i) < t; };
  std::size_t first = 0;
  std::size_t count = n;
  while (count > 0) {  // first sample at or after `from`
    const std::size_t half = count / 2;
    if (timeBelow(first + half, from)) {
      first += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  if (first > 0) --first;
  const double width = (to - from) / columns;

  struct Column {
    long index = 0;
    std::size_t firstGood = 0, lastGood = 0, low = 0, high = 0;
    bool good = false, bad = false;
  } column;
  bool open = false;  // a polyline is being drawn
  std::size_t lastEmitted = 0;
  std::size_t lineLast = 0;  // last good sample of the open polyline

  const auto take = [&](std::size_t i) {
    if (open && out.points.size() > out.starts.back() && lastEmitted == i) return;
    out.points.emplace_back(series.TimeMs(i), series.Value(i));
    lastEmitted = i;
  };
  const auto endLine = [&] {
    if (open) take(lineLast);
    open = false;
  };
  const auto flush = [&] {
    if (!column.good) {
      if (column.bad) endLine();
      return;
    }
    const bool starting = !open;
    if (starting) {
      out.starts.push_back(out.points.size());
      open = true;
    }
    std::size_t picks[3] = {column.low, column.high, column.firstGood};
    std::size_t* end = picks + (starting ? 3 : 2);
    std::sort(picks, end);
    for (std::size_t* p = picks; p != end; ++p) take(*p);
    lineLast = column.lastGood;
  };

  for (std::size_t i = first; i < n; ++i) {
    const double t = series.TimeMs(i);
    const long index = t < from ? -1
                       : t > to
                           ? columns
                           : std::min<long>(static_cast<long>((t - from) / width), columns - 1);
    if (i == first || index != column.index) {
      if (i != first) flush();
      column = Column{index};
    }
    const double v = series.Value(i);
    if (std::isnan(v)) {
      column.bad = true;
    } else {
      if (!column.good) column.firstGood = column.low = column.high = i;
      if (v < series.Value(column.low)) column.low = i;
      if (v > series.Value(column.high)) column.high = i;
      column.lastGood = i;
      column.good = true;
    }
    if (index == columns) break;  // the first sample past the range ends it
  }
  flush();
  endLine();
  return out;
}

}  // namespace plot
