// The trend archive. Where samples fall, and the windows and periods refused, are checked
// through the trend query.
#include <gtest/gtest.h>

#include "SmallProject.h"
#include "TagStore.h"
#include "TrendArchive.h"
#include "TrendWindow.h"

namespace znsim {
namespace {

// WAVE is a ramp: value = (t / 1000) % 100, and `base` is a multiple of 100 s.
constexpr Millis base = 1'000'000'000'000;

TEST(TrendArchive, AnswersFromTheModelBeforeTheArchiveAndFromTheArchiveAfter) {
  simtest::TempDir dir;
  const Project project = simtest::SmallProject();
  Database db(dir / "t.db");
  TagStore tags(project, db, "alpha");
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
    TagStore tags(project, db, "alpha");
    TrendArchive archive(tags, db);
    ASSERT_EQ(tags.Write("WAVE", "7").status, TagStore::WriteStatus::Written);
    for (Millis t = base; t <= base + 60'000; t += 10'000) archive.Sample(t);
  }
  Database db(dir / "t.db");
  TagStore tags(project, db, "alpha");
  TrendArchive archive(tags, db);
  EXPECT_EQ(archive.Sample(base + 60'000), 0u) << "the last boundary is known after a restart";
  const auto w = *MakeTrendWindow(base + 60'000, 10'000, 7);
  EXPECT_EQ(archive.Values(0, w, 0, 7), std::vector<double>(7, 7));
  archive.Prune(base + 35'000);
  EXPECT_EQ(archive.Values(0, w, 0, 7), (std::vector<double>{0, 10, 20, 30, 7, 7, 7}));
}

}  // namespace
}  // namespace znsim
