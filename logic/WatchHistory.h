#pragma once
/// What a watch has seen of each of its tags, kept in memory for the live plot: the numeric
/// values with their times, the oldest dropped past a bound, and the breaks where no value
/// came. Fed once a cycle from the thread that reads it; not for use from two threads.
///
/// Each failed cycle is a point of its own, so that an outage spans the plot as wide as it
/// lasted; a plot bridges times without points, so a watch that resumes after a pause marks
/// a Gap first.
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <vector>

namespace logic {

struct WatchCycle;

class WatchHistory {
 public:
  /// One tag's points in time order. A gap is a point with no value (NaN): a plot breaks
  /// its curve there.
  class Series {
   public:
    std::size_t size() const { return points_.size(); }
    bool empty() const { return points_.empty(); }
    /// Milliseconds since the epoch.
    double TimeMs(std::size_t i) const { return static_cast<double>(points_[i].timeMs); }
    /// NaN at a gap.
    double Value(std::size_t i) const { return points_[i].value; }
    /// Points dropped from the front since the watch began: point i was the (Dropped() + i)th.
    std::uint64_t Dropped() const { return dropped_; }

   private:
    friend class WatchHistory;
    struct Point {
      std::int64_t timeMs;
      double value;
    };
    void Push(std::int64_t timeMs, double value, std::size_t capacity);

    std::deque<Point> points_;
    std::uint64_t dropped_ = 0;
  };

  static constexpr std::size_t kPointsPerTag = 100'000;
  /// All tags together keep at most this many points (16 bytes each): ten thousand tags at
  /// the full bound a tag would take 16 GB, so a large watch keeps a shorter past per tag.
  static constexpr std::size_t kMostPoints = 25'000'000;

  /// `capacityPerTag` is lowered to keep all tags within kMostPoints (never below 2).
  explicit WatchHistory(QStringList tagNames, std::size_t capacityPerTag = kPointsPerTag);

  std::size_t TagCount() const { return series_.size(); }
  const QString& TagName(std::size_t tag) const { return names_.at(static_cast<qsizetype>(tag)); }
  /// Points kept a tag, at most.
  std::size_t Capacity() const { return capacity_; }
  const Series& Tag(std::size_t tag) const { return series_.at(tag); }

  /// A numeric value of `tag` read at `timeMs` (ms since the epoch). A value that is not a
  /// finite number is no point and is left out. A time before the tag's last point (the
  /// clock was set back) is taken as that point's, so that the points stay in time order.
  void Append(std::size_t tag, std::int64_t timeMs, double value);
  /// `tag` gave no value at `timeMs` (it failed): its curve breaks there.
  void Gap(std::size_t tag, std::int64_t timeMs);
  /// The whole cycle at `timeMs` failed: every curve breaks there.
  void Gap(std::int64_t timeMs);
  /// The time of the latest point or gap of any tag; the lowest time before the first.
  std::int64_t LatestMs() const { return latestMs_; }

 private:
  QStringList names_;
  std::vector<Series> series_;
  std::size_t capacity_;
  std::int64_t latestMs_ = std::numeric_limits<std::int64_t>::min();
};

/// Takes what one cycle read: each tag's value when it reads as a number, a break for a tag
/// that failed or a cycle that found no server. A text that is not a number leaves no point.
void AppendCycle(WatchHistory& history, const WatchCycle& cycle);

}  // namespace logic
