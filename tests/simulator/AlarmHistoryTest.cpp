#include <gtest/gtest.h>

#include "AlarmHistory.h"
#include "SmallProject.h"

namespace znsim {
namespace {

class AlarmHistoryTest : public ::testing::Test {
 protected:
  simtest::TempDir dir;
  Project project = simtest::SmallProject();
  std::filesystem::path file = dir.path() / "h.db";
};

TEST_F(AlarmHistoryTest, SummaryKeepsEveryOccurrenceOnDuringThePeriod) {
  Database db(file);
  AlarmHistory history(project, db);
  EXPECT_TRUE(history.Empty());
  // Occurrences of alarm 0: [100, 200], [300, 400], [500, still on]; alarm 1: [250, 260].
  history.Record({{0, true, 100, "a"},
                  {0, false, 200, {}},
                  {0, true, 300, "b"},
                  {1, true, 250, "c"},
                  {1, false, 260, {}},
                  {0, false, 400, {}},
                  {0, true, 500, "d"}});
  EXPECT_FALSE(history.Empty());

  struct Cut {
    Millis start, end;
    std::vector<std::string> comments;
  };
  const Cut cuts[] = {
      {0, 99, {}},
      {0, 100, {"a"}},              // starts at the very end of the period
      {150, 150, {"a"}},            // the period lies inside an occurrence
      {200, 200, {"a"}},            // ended at the very start
      {201, 249, {}},               // between occurrences
      {150, 350, {"a", "c", "b"}},  // ordered by the instant they came on
      {450, 460, {}},
      {10'000, 20'000, {"d"}},  // still on: reaches every later period
  };
  for (const auto& cut : cuts) {
    const auto rows = history.Summary(cut.start, cut.end, 100);
    ASSERT_TRUE(rows);
    std::vector<std::string> comments;
    for (const auto& row : *rows) comments.push_back(row.comment);
    EXPECT_EQ(comments, cut.comments) << cut.start << ".." << cut.end;
  }
  const auto all = history.Summary(0, 1000, 100);
  ASSERT_EQ(all->size(), 4u);
  EXPECT_EQ(all->at(0).tag, "LEVEL");
  EXPECT_EQ(all->at(0).description, "Level high");
  EXPECT_EQ(all->at(0).off, 200);
  EXPECT_FALSE(all->at(3).off);
}

TEST_F(AlarmHistoryTest, RefusesASummaryOverTheRowLimit) {
  Database db(file);
  AlarmHistory history(project, db);
  std::vector<AlarmTransition> many;
  for (Millis t = 0; t < 20; t += 2) {
    many.push_back({1, true, t, {}});
    many.push_back({1, false, t + 1, {}});
  }
  history.Record(many);
  EXPECT_EQ(history.Summary(0, 100, 10)->size(), 10u);
  EXPECT_FALSE(history.Summary(0, 100, 9));
}

TEST_F(AlarmHistoryTest, OpenOccurrencesAndPruningOutliveTheConnection) {
  {
    Database db(file);
    AlarmHistory history(project, db);
    history.Record({{0, true, 100, "old"}, {0, false, 200, {}}, {1, true, 300, "open"}});
  }
  Database db(file);
  AlarmHistory history(project, db);
  const auto open = history.Open();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0].alarm, 1u);
  EXPECT_EQ(open[0].since, 300);
  EXPECT_EQ(open[0].comment, "open");

  history.Prune(1000);  // the closed one goes, the open one stays whatever its age
  const auto rows = history.Summary(0, 2000, 100);
  ASSERT_EQ(rows->size(), 1u);
  EXPECT_EQ(rows->at(0).comment, "open");
}

TEST_F(AlarmHistoryTest, OccurrencesOfAlarmsNoLongerInTheProjectAreEnded) {
  {
    Database db(file);
    AlarmHistory history(project, db);
    history.Record({{0, true, 100, "kept"}, {1, true, 100, "dropped"}});
  }
  Project smaller = project;
  smaller.alarms.erase(smaller.alarms.begin() + 1);  // the pump alarm is gone
  smaller.Finish();
  Database db(file);
  AlarmHistory history(smaller, db);
  history.CloseUnknown(500);
  const auto open = history.Open();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0].comment, "kept");
  const auto rows = history.Summary(0, 1000, 100);
  ASSERT_EQ(rows->size(), 2u);
  EXPECT_EQ(rows->at(1).off, 500);
}

}  // namespace
}  // namespace znsim
