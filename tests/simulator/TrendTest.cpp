#include <gtest/gtest.h>

#include "SmallProject.h"
#include "TagStore.h"
#include "TrendArchive.h"
#include "TrendWindow.h"

namespace znsim {
namespace {

TEST(TrendWindow, PlacesTheLastSampleAtTheEndInstant) {
  const auto w = MakeTrendWindow(600'000, 2000, 300);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->TimeOf(299), 600'000);
  EXPECT_EQ(w->TimeOf(298), 598'000);
  EXPECT_EQ(w->First(), 600'000 - 299 * 2000);
  EXPECT_FALSE(w->Fractional());
  EXPECT_TRUE(MakeTrendWindow(600'000, 2500, 3)->Fractional());
}

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
  const char* bad[] = {"0", "-2", "0.0001", "abc", "", "2 ", "1e30", "nan", "inf"};
  for (const char* text : bad) EXPECT_FALSE(PeriodMillis(text)) << text;
}

class TrendArchiveTest : public ::testing::Test {
 protected:
  simtest::TempDir dir;
  Project project = simtest::SmallProject();
};

TEST_F(TrendArchiveTest, AnswersFromTheModelBeforeTheArchiveAndFromTheArchiveAfter) {
  Database db(dir.path() / "t.db");
  TagStore tags(project, db);
  TrendArchive archive(tags, db);
  // WAVE is a ramp equal to the seconds of the minute-and-a-bit cycle: value = (t/1000) % 100.
  const Millis base = 1'000'000'000'000;  // a multiple of 100 s
  const auto w = *MakeTrendWindow(base + 50'000, 10'000, 6);
  auto before = archive.Values(0, w, 0, 6);
  EXPECT_EQ(before, (std::vector<double>{0, 10, 20, 30, 40, 50}));

  // A client write makes the archive hold 42 from the next sample on.
  ASSERT_EQ(tags.Write("WAVE", "42").status, TagStore::WriteStatus::Written);
  EXPECT_EQ(archive.Sample(base + 20'500), 1u);  // boundary base + 20 s
  EXPECT_EQ(archive.Sample(base + 25'000), 0u);  // same boundary: nothing new
  EXPECT_EQ(archive.Sample(base + 30'000), 1u);
  const auto mixed = archive.Values(0, w, 0, 6);
  EXPECT_EQ(mixed, (std::vector<double>{0, 10, 42, 42, 42, 50}))
      << "instants before the archive come from the model, later ones from the archive "
         "while a sample is recent enough, then from the model again";
  // Paging: an offset into the window gives the same values as the whole.
  EXPECT_EQ(archive.Values(0, w, 3, 2), (std::vector<double>{42, 42}));
}

TEST_F(TrendArchiveTest, ArchiveSurvivesReopeningAndIsPrunedByAge) {
  const Millis base = 1'000'000'000'000;
  {
    Database db(dir.path() / "t.db");
    TagStore tags(project, db);
    TrendArchive archive(tags, db);
    ASSERT_EQ(tags.Write("WAVE", "7").status, TagStore::WriteStatus::Written);
    for (Millis t = base; t <= base + 60'000; t += 10'000) archive.Sample(t);
  }
  Database db(dir.path() / "t.db");
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
