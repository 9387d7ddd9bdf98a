#pragma once
/// Reducing a long series to what a plot can show: per pixel column the lowest and the highest
/// sample, so that a million samples draw as a few thousand points that look the same.
#include <QPointF>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
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

namespace detail {

/// What a run of samples holds for decimation: its good samples' first, last, lowest and
/// highest (the earliest of equals), and whether any sample in it is bad. The lowest and
/// highest values are kept beside their samples: comparing them is what merging runs does
/// most, and fetching each from the series would miss the cache every time.
struct Summary {
  double lowValue = 0, highValue = 0;
  std::uint32_t firstGood = 0, lastGood = 0, low = 0, high = 0;
  bool good = false, bad = false;
};

}  // namespace detail

/// A series with its lows and highs summarised in levels of ever longer runs, so that reducing
/// any range to pixel columns visits a few runs a column instead of every sample: a zoom or
/// pan over a million samples costs what one over a few thousand does.
/// `Series` offers size(), TimeMs(i) and Value(i), in time order, NaN marking a bad sample;
/// it must outlive this. A series may grow at its end and lose samples at its front: Follow
/// then brings the levels up to date at the cost of what changed, not of the whole.
template <typename Series>
class MinMaxLevels {
 public:
  /// `summarise` false keeps no levels: each reduction then visits every sample in range.
  explicit MinMaxLevels(const Series& series, bool summarise = true)
      : series_(series), summarise_(summarise) {
    Follow(0);
  }

  /// After the series grew at its end and, since it began, lost `dropped` samples in all at
  /// its front (its index 0 is now the one that was `dropped`): the summaries that cover a
  /// dropped sample go and the runs that new samples complete are summarised.
  void Follow(std::uint64_t dropped);

  /// The visible part, from `from` to `to` (ms), with `columns` pixel columns.
  ///
  /// Each column gives its lowest and highest good sample, in time order; each polyline also
  /// keeps its first and last sample, so it reaches exactly to a gap. The nearest sample on
  /// either side of the range is kept too, so the line runs on to the edge. A column whose
  /// samples are all bad breaks the line; a bad sample among good ones in the same column is
  /// narrower than a pixel and does not. Columns without samples are bridged.
  Polylines Decimate(double from, double to, int columns) const;

  /// Memory the levels hold.
  std::size_t Bytes() const {
    std::size_t bytes = 0;
    for (const Level& level : levels_) bytes += level.summaries.size() * sizeof(detail::Summary);
    return bytes;
  }

 private:
  // Runs of 8, 32, 128 ... samples: a column's interior is covered by a few runs of each
  // length below its own, and the levels together hold a sixth of a summary a sample.
  static constexpr std::size_t kFirstRun = 8, kGrowth = 4;

  /// Summary k of a level covers the samples numbered k * run up to (k + 1) * run, counted
  /// from the first sample the series ever had, so that a drop at the front shifts nothing.
  struct Level {
    std::size_t run = 0;
    std::uint64_t first = 0;  // the number of the front summary
    std::deque<detail::Summary> summaries;
    std::uint64_t End() const { return first + summaries.size(); }
  };

  // Summaries name samples by their number since the series began, kept in 32 bits: the
  // difference to the dropped count wraps back to the index as long as fewer than 2^32
  // samples are held.
  std::uint32_t Number(std::size_t i) const { return static_cast<std::uint32_t>(dropped_ + i); }
  std::size_t Index(std::uint32_t number) const {
    return static_cast<std::uint32_t>(number - static_cast<std::uint32_t>(dropped_));
  }

  detail::Summary One(std::size_t i) const {
    detail::Summary s;
    s.firstGood = s.lastGood = s.low = s.high = Number(i);
    s.lowValue = s.highValue = series_.Value(i);
    s.good = !std::isnan(s.lowValue);
    s.bad = !s.good;
    return s;
  }
  void Merge(detail::Summary& into, const detail::Summary& part) const {
    into.bad = into.bad || part.bad;
    if (!part.good) return;
    if (!into.good) {
      into.firstGood = part.firstGood;
      into.low = part.low;
      into.lowValue = part.lowValue;
      into.high = part.high;
      into.highValue = part.highValue;
    } else {
      if (part.lowValue < into.lowValue) {
        into.low = part.low;
        into.lowValue = part.lowValue;
      }
      if (part.highValue > into.highValue) {
        into.high = part.high;
        into.highValue = part.highValue;
      }
    }
    into.lastGood = part.lastGood;
    into.good = true;
  }

  const Series& series_;
  const bool summarise_;
  std::uint64_t dropped_ = 0;
  std::vector<Level> levels_;
};

template <typename Series>
void MinMaxLevels<Series>::Follow(std::uint64_t dropped) {
  dropped_ = dropped;
  const std::size_t n = series_.size();
  if (!summarise_ || n > UINT32_MAX) return;
  const std::uint64_t end = dropped_ + n;
  for (std::size_t l = 0;; ++l) {
    if (l == levels_.size()) {
      const std::size_t run = l == 0 ? kFirstRun : levels_.back().run * kGrowth;
      if (run * 2 > n) break;
      levels_.push_back({run, 0, {}});
    }
    Level& level = levels_[l];
    while (!level.summaries.empty() && level.first * level.run < dropped_) {
      level.summaries.pop_front();
      ++level.first;
    }
    if (level.summaries.empty())
      level.first = std::max(level.first, (dropped_ + level.run - 1) / level.run);
    for (std::uint64_t k = level.End(); (k + 1) * level.run <= end; ++k) {
      detail::Summary s;
      if (l == 0) {
        for (std::uint64_t number = k * level.run; number < (k + 1) * level.run; ++number)
          Merge(s, One(number - dropped_));
      } else {
        // The level below holds every summary from the first whole run after the drop on.
        const Level& below = levels_[l - 1];
        for (std::uint64_t c = k * kGrowth; c < (k + 1) * kGrowth; ++c)
          Merge(s, below.summaries[c - below.first]);
      }
      level.summaries.push_back(s);
    }
  }
}

template <typename Series>
Polylines MinMaxLevels<Series>::Decimate(double from, double to, int columns) const {
  Polylines out;
  const std::size_t n = series_.size();
  if (n == 0 || columns <= 0 || !(to > from)) return out;
  std::size_t first = 0;
  std::size_t count = n;
  while (count > 0) {  // first sample at or after `from`
    const std::size_t half = count / 2;
    if (series_.TimeMs(first + half) < from) {
      first += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  if (first > 0) --first;
  const double width = (to - from) / columns;
  const auto columnOf = [&](std::size_t i) -> long {
    const double t = series_.TimeMs(i);
    return t < from ? -1
           : t > to ? columns
                    : std::min<long>(static_cast<long>((t - from) / width), columns - 1);
  };

  detail::Summary column;
  bool open = false;  // a polyline is being drawn
  std::size_t lastEmitted = 0;
  std::size_t lineLast = 0;  // last good sample of the open polyline

  const auto take = [&](std::size_t i) {
    if (open && out.points.size() > out.starts.back() && lastEmitted == i) return;
    out.points.emplace_back(series_.TimeMs(i), series_.Value(i));
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
    std::size_t picks[3] = {Index(column.low), Index(column.high), Index(column.firstGood)};
    std::size_t* end = picks + (starting ? 3 : 2);
    std::sort(picks, end);
    for (std::size_t* p = picks; p != end; ++p) take(*p);
    lineLast = Index(column.lastGood);
  };

  // The first sample after `i` in another column than `here`: galloping from `i`, so that the
  // times read lie close together in memory, where reading each run's last time would miss
  // the cache at every step.
  const auto columnEnd = [&](std::size_t i, long here) {
    std::size_t inside = i, step = 1, beyond = i + 1;
    while (beyond < n && columnOf(beyond) == here) {
      inside = beyond;
      step *= 2;
      beyond = std::min(n, i + step);
    }
    while (beyond - inside > 1) {
      const std::size_t middle = inside + (beyond - inside) / 2;
      (columnOf(middle) == here ? inside : beyond) = middle;
    }
    return beyond;
  };

  // Column by column from `first` on, each step takes the longest summarised run that starts
  // there and lies within the column, or a single sample; the first sample past the range
  // ends the walk.
  std::size_t level = levels_.size();
  for (std::size_t i = first; i < n;) {
    const long here = columnOf(i);
    if (i != first) flush();
    column = {};
    if (here == columns) {
      Merge(column, One(i));
      break;
    }
    const std::size_t end = levels_.empty() ? n : columnEnd(i, here);
    while (i < end && (!levels_.empty() || columnOf(i) == here)) {
      // Runs grow by one level at a time, so the search starts just above the last one used.
      level = std::min(level + 1, levels_.size());
      while (level > 0) {
        const Level& runs = levels_[level - 1];
        const std::uint64_t number = dropped_ + i;
        const std::uint64_t k = number / runs.run;
        if (number % runs.run == 0 && k >= runs.first && k < runs.End() && i + runs.run <= end)
          break;
        --level;
      }
      if (level > 0) {
        const Level& runs = levels_[level - 1];
        Merge(column, runs.summaries[(dropped_ + i) / runs.run - runs.first]);
        i += runs.run;
      } else {
        Merge(column, One(i));
        ++i;
      }
    }
  }
  flush();
  endLine();
  return out;
}

/// A single reduction, visiting every sample in range.
template <typename Series>
Polylines DecimateMinMax(const Series& series, double from, double to, int columns) {
  return MinMaxLevels<Series>(series, false).Decimate(from, to, columns);
}

}  // namespace plot
