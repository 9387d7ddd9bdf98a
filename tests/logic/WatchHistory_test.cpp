// The watch's history of each tag: bounded, oldest dropped first, gaps kept as breaks.
#include <gtest/gtest.h>

#include <cmath>

#include "WatchHistory.h"

namespace {

std::vector<std::pair<double, double>> Points(const logic::WatchHistory::Series& s) {
  std::vector<std::pair<double, double>> points;
  for (std::size_t i = 0; i < s.size(); ++i) points.emplace_back(s.TimeMs(i), s.Value(i));
  return points;
}

bool SamePoints(const std::vector<std::pair<double, double>>& a,
                const std::vector<std::pair<double, double>>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.first == y.first &&
           (x.second == y.second || (std::isnan(x.second) && std::isnan(y.second)));
  });
}

TEST(WatchHistory, KeepsTheNewestPointsOfEachTagWithItsGaps) {
  logic::WatchHistory h({"A", "B"}, 4);
  h.Append(0, 1000, 1);
  h.Append(1, 1000, 10);
  h.Gap(2000);             // the whole cycle failed
  h.Gap(3000);             // and the next
  h.Append(0, 4000, NAN);  // no number: no point
  h.Append(0, 4000, 4);
  h.Gap(1, 4000);  // B failed alone
  h.Append(0, 5000, 5);
  h.Append(0, 4500, 6);  // the clock went back: kept in order
  h.Append(1, 6000, 60);

  EXPECT_TRUE(SamePoints(Points(h.Tag(0)), {{3000, NAN}, {4000, 4}, {5000, 5}, {5000, 6}}));
  EXPECT_EQ(h.Tag(0).Dropped(), 2u) << "the oldest points went at the bound";
  EXPECT_TRUE(SamePoints(Points(h.Tag(1)), {{2000, NAN}, {3000, NAN}, {4000, NAN}, {6000, 60}}));
  EXPECT_EQ(h.Tag(1).Dropped(), 1u);
  EXPECT_EQ(h.LatestMs(), 6000);
}

TEST(WatchHistory, ALargeWatchKeepsAShorterPastATag) {
  using logic::WatchHistory;
  QStringList names;
  for (int i = 0; i < 10'000; ++i) names << QString::number(i);
  const std::size_t asked = WatchHistory::kPointsPerTag;
  EXPECT_EQ(WatchHistory(names.mid(0, 250), asked).Capacity(), asked);
  EXPECT_EQ(WatchHistory(names, asked).Capacity(), WatchHistory::kMostPoints / 10'000);
  EXPECT_EQ(WatchHistory({}, 0).Capacity(), 2u);
}

}  // namespace
