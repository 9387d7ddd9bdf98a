#include <gtest/gtest.h>

#include "SmallProject.h"
#include "TagStore.h"
#include "TrendArchive.h"
#include "TrendWindow.h"

namespace znsim {
namespace {

// Where samples fall is checked through the trend query; here, the windows that must not exist.
TEST(TrendWindow, RefusesWindowsReachingBeforeTheEpoch) {
  EXPECT_TRUE(MakeTrendWindow(10'000, 1000, 11));
  EXPECT_FALSE(MakeTrendWindow(10'000, 1000, 12));
  EXPECT_FALSE(MakeTrendWindow(1'700'000'000'000, 366LL * 86400 * 1000, 1'000'000));
  EXPECT_TRUE(MakeTrendWindow(10'000, 1000, 0));
  EXPECT_FALSE(MakeTrendWindow(10'000, 1000, -1));
}

TEST(TrendWindow, ReadsPeriodsInWholeMilliseconds) {
  const std::pair<const char*, Millis> good[] = {
      {"2", 2000}, {"2.5", 2500}, {"0.001", 1}, {"86400", 86'400'000}};
  for (const auto& [text, ms] : good) EXPECT_EQ(PeriodMillis(text), ms) << text;
  for (const char* text : {"0", "-2", "0.0001", "abc", "", "2 ", "1e30", "nan", "inf"}) {
    EXPECT_FALSE(PeriodMillis(text)) << text;
  }
}

// WAVE is a ramp: value = (t / 1000) % 100, and `base` is a multiple of 100 s.
constexpr Millis base = 1'000'000'000'000;

TEST(TrendArchive, AnswersFromTheModelBeforeTheArchiveAndFromTheArchiveAfter) {
  simtest::TempDir dir;
  const Project project = simtest::SmallProject();
  Database db(dir / "t.db");
  TagStore tags(project, db);
  TrendArchive archive(tags, db);
  const auto w = *MakeTrendWindow(base + 50'000, 10'000, 6);
  EXPECT_EQ(archive.Values(0, w, 0, 6), (std::vector<double>{0, 10, 20, 30, 40, 50}));

  // A client write makes the archive hold 42 from the next sample on.
  ASSERT_EQ(tags.Write("WAVE", "42").status, TagStore::WriteStatus::Written);
  EXPECT_EQ(archive.Sample(base + 20'500), 1u);  // boundary base + 20 s
  EXPECT_EQ(archive.Sample(base + 25'000), 0u);  // same boundary: nothing new
  EXPECT_EQ(archive.Sample(base + 30'000), 1u);
  EXPECT_EQ(archive.Values(0, w, 0, 6), (std::vector<double>{0, 10, 42, 42, 42, 50}))
      << "instants before the archive come from the model, later ones from the archive "
         "while a sample is recent enough, then from the model again";
  EXPECT_EQ(archive.Values(0, w, 3, 2), (std::vector<double>{42, 42})) << "a page of the window";
}

TEST(TrendArchive, SurvivesReopeningAndIsPrunedByAge) {
  simtest::TempDir dir;
  const Project project = simtest::SmallProject();
  {
    Database db(dir / "t.db");
    TagStore tags(project, db);
    TrendArchive archive(tags, db);
    ASSERT_EQ(tags.Write("WAVE", "7").status, TagStore::WriteStatus::Written);
    for (Millis t = base; t <= base + 60'000; t += 10'000) archive.Sample(t);
  }
  Database db(dir / "t.db");
  TagStore tags(project, db);
  TrendArchive archive(tags, db);
  EXPECT_EQ(archive.Sample(base + 60'000), 0u) << "the last boundary is known after a restart";
  const auto w = *MakeTrendWindow(base + 60'000, 10'000, 7);
  EXPECT_EQ(archive.Values(0, w, 0, 7), std::vector<double>(7, 7));
  archive.Prune(base + 35'000);
  EXPECT_EQ(archive.Values(0, w, 0, 7), (std::vector<double>{0, 10, 20, 30, 7, 7, 7}));
}

}  // namespace
}  // namespace znsim
