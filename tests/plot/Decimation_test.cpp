// Per-pixel-column min/max decimation and the zoom and pan of the time range.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "MinMaxDecimation.h"
#include "TimeSpan.h"
#include "WatchHistory.h"

namespace {

struct Series {
  std::vector<double> t, v;
  std::size_t size() const { return t.size(); }
  double TimeMs(std::size_t i) const { return t[i]; }
  double Value(std::size_t i) const { return v[i]; }
};

Series Make(std::size_t n, const std::function<double(std::size_t)>& value) {
  Series s;
  for (std::size_t i = 0; i < n; ++i) {
    s.t.push_back(1e12 + 1000.0 * static_cast<double>(i));
    s.v.push_back(value(i));
  }
  return s;
}

bool Drawn(const plot::Polylines& p, double t, double v) {
  return std::any_of(p.points.begin(), p.points.end(),
                     [&](const QPointF& q) { return q.x() == t && q.y() == v; });
}

TEST(Decimation, KeepsEveryColumnsLowestAndHighestAndBothEnds) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> noise(-1, 1);
  const std::pair<const char*, Series> cases[] = {
      {"random", Make(10'000, [&](std::size_t) { return noise(random); })},
      {"monotonic", Make(10'000, [](std::size_t i) { return std::sqrt(double(i)); })},
      {"spiky",
       Make(10'000, [](std::size_t i) { return i % 997 == 0  ? 1e6
                                               : i % 13 == 0 ? -5
                                                             : 0; })},
  };
  constexpr int kColumns = 123;
  for (const auto& [kind, s] : cases) {
    SCOPED_TRACE(kind);
    const double from = s.t.front(), to = s.t.back();
    const plot::Polylines p = plot::DecimateMinMax(s, from, to, kColumns);
    ASSERT_EQ(p.starts, std::vector<std::size_t>{0});
    EXPECT_LE(p.points.size(), 2u * kColumns + 2);
    EXPECT_EQ(p.points.front(), QPointF(s.t.front(), s.v.front()));
    EXPECT_EQ(p.points.back(), QPointF(s.t.back(), s.v.back()));
    EXPECT_TRUE(std::is_sorted(p.points.begin(), p.points.end(),
                               [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
    const double width = (to - from) / kColumns;
    for (int c = 0; c < kColumns; ++c) {
      std::size_t low = s.size(), high = s.size();
      for (std::size_t i = 0; i < s.size(); ++i) {
        const int column = std::min(int((s.t[i] - from) / width), kColumns - 1);
        if (column != c) continue;
        if (low == s.size() || s.v[i] < s.v[low]) low = i;
        if (high == s.size() || s.v[i] > s.v[high]) high = i;
      }
      if (low == s.size()) continue;
      EXPECT_TRUE(Drawn(p, s.t[low], s.v[low])) << "lowest of column " << c;
      EXPECT_TRUE(Drawn(p, s.t[high], s.v[high])) << "highest of column " << c;
    }
  }
}

TEST(Decimation, BadSamplesBreakTheLineWhenTheyFillAColumn) {
  // Values 10 to 12; the samples 40 to 59 and 70 are bad, 65 stands alone between bad ones.
  Series s = Make(100, [](std::size_t i) { return 10.0 + double(i % 3); });
  for (std::size_t i = 40; i < 60; ++i) s.v[i] = NAN;
  s.v[64] = s.v[66] = NAN;
  const auto polylines = [&](int columns) {
    const plot::Polylines p = plot::DecimateMinMax(s, s.t.front(), s.t.back(), columns);
    for (const QPointF& q : p.points) EXPECT_GE(q.y(), 10) << "a bad sample is never drawn";
    std::vector<std::size_t> lengths;
    for (std::size_t k = 0; k < p.starts.size(); ++k) lengths.push_back(p.End(k) - p.starts[k]);
    return lengths;
  };
  EXPECT_EQ(polylines(99), (std::vector<std::size_t>{40, 4, 1, 33}))
      << "a column a sample: every bad sample is a gap";
  EXPECT_EQ(polylines(10).size(), 2u) << "ten samples a column: the lone bad ones are narrower "
                                         "than a pixel, the run of twenty is not";
}

TEST(Decimation, AZoomedRangeRunsOnToTheSamplesBeyondItsEdges) {
  const Series s = Make(1000, [](std::size_t i) { return double(i); });
  const plot::Polylines p = plot::DecimateMinMax(s, s.t[100] + 500, s.t[200] + 500, 50);
  EXPECT_EQ(p.points.front().x(), s.t[100]);
  EXPECT_EQ(p.points.back().x(), s.t[201]);
  EXPECT_TRUE(plot::DecimateMinMax(s, 5, 5, 50).points.empty()) << "no range, nothing drawn";
}

TEST(Decimation, SummarisedLevelsReduceExactlyAsEverySampleDoes) {
  // Uneven times, values on a coarse grid so that lows and highs tie, runs of bad samples and
  // lone ones: every range and width must pick the very samples a walk over all of them does.
  std::mt19937 random(11);
  Series s;
  double t = 1e12, v = 0;
  for (std::size_t i = 0; i < 60'000; ++i) {
    t += 1 + random() % 2000;
    v += double(int(random() % 5) - 2) * 0.5;
    s.t.push_back(t);
    s.v.push_back(random() % 4000 < 3 ? NAN : v);
  }
  for (std::size_t start : {7'000u, 31'000u, 31'900u})
    for (std::size_t i = start; i < start + 700; ++i) s.v[i] = NAN;
  const plot::MinMaxLevels<Series> levels(s);
  std::uniform_real_distribution<double> at(s.t.front() - 1e6, s.t.back() + 1e6);
  for (int k = 0; k < 400; ++k) {
    double from = at(random), to = at(random);
    if (k % 4 == 0) to = from + 1e3 * double(1 + random() % 100'000);  // closer zooms
    const int columns = 1 + int(random() % 2000);
    const plot::Polylines fast = levels.Decimate(from, to, columns);
    const plot::Polylines every = plot::DecimateMinMax(s, from, to, columns);
    ASSERT_EQ(fast.starts, every.starts) << from << " " << to << " " << columns;
    ASSERT_EQ(fast.points, every.points) << from << " " << to << " " << columns;
  }
  EXPECT_LT(levels.Bytes(), s.size() * 8) << "a sixth of a summary a sample";
}

TEST(Decimation, LevelsFollowingAGrowingAndDroppingSeriesReduceAsEverySampleDoes) {
  // A watch's history: points arrive in batches, the oldest go at the bound, failed cycles
  // break the curve. The levels kept up to date batch by batch must pick what a walk over
  // every sample picks, whatever the phase of the drops against the runs.
  const struct {
    std::size_t capacity, points, batch;
  } cases[] = {
      {100'000, 50'000, 1}, {5'000, 23'000, 7},    {1'000, 4'003, 997},
      {64, 3'000, 1},       {20'000, 90'000, 333},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.capacity << " kept, " << c.points << " by " << c.batch);
    std::mt19937 random(static_cast<unsigned>(c.capacity + c.points));
    logic::WatchHistory history({"T"}, c.capacity);
    const logic::WatchHistory::Series& s = history.Tag(0);
    plot::MinMaxLevels<logic::WatchHistory::Series> levels(s);
    std::int64_t t = 1'700'000'000'000;
    double v = 0;
    const std::size_t checkEvery = std::max<std::size_t>(1, c.points / c.batch / 5);
    std::size_t follows = 0;
    for (std::size_t i = 0; i < c.points; ++i) {
      t += 1 + random() % 2000;
      v += double(int(random() % 5) - 2) * 0.5;
      if (random() % 500 == 0) {
        history.Gap(t);
      } else {
        history.Append(0, t, v);
      }
      if ((i + 1) % c.batch != 0 && i + 1 != c.points) continue;
      levels.Follow(s.Dropped());
      if (++follows % checkEvery != 0 && i + 1 != c.points) continue;
      std::uniform_real_distribution<double> at(s.TimeMs(0) - 1e5, s.TimeMs(s.size() - 1) + 1e5);
      for (int k = 0; k < 40; ++k) {
        double from = at(random), to = at(random);
        if (k % 2 == 0) to = from + 1e3 * double(1 + random() % 10'000);
        const int columns = 1 + int(random() % 1500);
        const plot::Polylines fast = levels.Decimate(from, to, columns);
        const plot::Polylines every = plot::DecimateMinMax(s, from, to, columns);
        ASSERT_EQ(fast.starts, every.starts) << i << ": " << from << " " << to << " " << columns;
        ASSERT_EQ(fast.points, every.points) << i << ": " << from << " " << to << " " << columns;
      }
    }
    EXPECT_EQ(s.Dropped(), c.points > c.capacity ? c.points - c.capacity : 0);
    EXPECT_LT(levels.Bytes(), s.size() * 8) << "dropped runs give their memory back";
  }
}

TEST(TimeSpan, ZoomAndPanStayWithinTheDataAndAboveASecond) {
  const plot::TimeSpan all{0, 100'000};
  struct Case {
    const char* what;
    plot::TimeSpan result, expected;
  };
  const Case cases[] = {
      {"closer keeps the time under the pointer in place",
       plot::ZoomAround({0, 100'000}, 25'000, 0.5, all),
       {12'500, 62'500}},
      {"further than the data shows all of it", plot::ZoomAround({0, 50'000}, 0, 4, all), all},
      {"no closer than a second",
       plot::ZoomAround({10'000, 12'000}, 11'000, 0.01, all),
       {10'500, 11'500}},
      {"a pan stops at the end", plot::Pan({80'000, 90'000}, 50'000, all), {90'000, 100'000}},
      {"a pan back stops at the start", plot::Pan({10'000, 20'000}, -15'000, all), {0, 10'000}},
      {"a single sample gets a second around it",
       plot::Confine({5'000, 5'000}, {5'000, 5'000}),
       {4'500, 5'500}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result.from, c.expected.from) << c.what;
    EXPECT_EQ(c.result.to, c.expected.to) << c.what;
  }
}

}  // namespace
