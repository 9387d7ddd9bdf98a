// Alarm conditions, their transitions and the history that the alarm queries read.
#include <gtest/gtest.h>

#include <map>

#include "AlarmEngine.h"
#include "AlarmHistory.h"
#include "SmallProject.h"

namespace znsim {
namespace {

TEST(AlarmEngine, ConditionsHonourTheDeadbandOnlyWhileActive) {
  // Limit 2, deadband 0.5; a deviation is measured from the setpoint 5.
  struct Case {
    AlarmCondition condition;
    double value;
    bool active, holds;
  };
  using C = AlarmCondition;
  const Case cases[] = {{C::High, 2, false, false},        {C::High, 1.75, true, true},
                        {C::High, 1.5, true, false},       {C::Low, 2, false, false},
                        {C::Low, 2.25, true, true},        {C::Low, 2.5, true, false},
                        {C::On, 1, false, true},           {C::On, 0, true, false},
                        {C::Off, 0, false, true},          {C::Deviation, 2.5, false, true},
                        {C::Deviation, 6.9, false, false}, {C::Deviation, 6.9, true, true},
                        {C::Deviation, 6.4, true, false}};
  for (const auto& c : cases) {
    const AlarmDef alarm{"T", c.condition, 2, 0.5, "SP", "d"};
    EXPECT_EQ(AlarmHolds(alarm, c.value, 5, c.active), c.holds)
        << AlarmConditionName(c.condition) << " value " << c.value << " active " << c.active;
  }
}

TEST(AlarmEngine, ReportsEachOnAndOffTransitionOnce) {
  const Project project = simtest::SmallProject();
  AlarmEngine engine(project);
  std::map<std::string, double> values{{"LEVEL", 4}, {"LEVEL_SP", 4}, {"PUMP", 0}};
  auto value = [&](std::size_t tag) { return values[project.tags[tag].name]; };

  EXPECT_TRUE(engine.Evaluate(1000, value).empty());
  values["LEVEL"] = 4.6;
  auto t = engine.Evaluate(2000, value);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].alarm, 0u);
  EXPECT_TRUE(t[0].on);
  EXPECT_EQ(t[0].at, 2000);
  EXPECT_EQ(t[0].comment, "4.6 above 4.5");
  EXPECT_TRUE(engine.Evaluate(3000, value).empty()) << "an active alarm is not reported again";

  values["LEVEL"] = 7;  // the high alarm stays on; the deviation alarm joins it
  values["PUMP"] = 1;
  t = engine.Evaluate(5000, value);
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].alarm, 1u);
  EXPECT_EQ(t[1].alarm, 2u);

  values["LEVEL"] = 4;
  values["PUMP"] = 0;
  t = engine.Evaluate(6000, value);
  ASSERT_EQ(t.size(), 3u);
  for (const auto& transition : t) EXPECT_FALSE(transition.on);
  EXPECT_TRUE(engine.Active().empty());
}

class AlarmHistoryTest : public ::testing::Test {
 protected:
  std::vector<std::string> Comments(AlarmHistory& history, Millis start, Millis end) {
    const auto rows = history.Summary(start, end, 100);
    std::vector<std::string> out;
    for (const auto& row : rows.value()) out.push_back(row.comment);
    return out;
  }
  simtest::TempDir dir;
  Project project = simtest::SmallProject();
  std::filesystem::path file = dir / "h.db";
};

TEST_F(AlarmHistoryTest, SummaryKeepsEveryOccurrenceOnDuringThePeriod) {
  Database db(file);
  AlarmHistory history(project, db);
  // Occurrences of alarm 0: [100, 200], [300, 400], [500, still on]; alarm 1: [250, 260].
  history.Record({{0, true, 100, "a"},
                  {0, false, 200, {}},
                  {0, true, 300, "b"},
                  {1, true, 250, "c"},
                  {1, false, 260, {}},
                  {0, false, 400, {}},
                  {0, true, 500, "d"}});
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
      {10'000, 20'000, {"d"}},      // still on: reaches every later period
  };
  for (const auto& cut : cuts) {
    EXPECT_EQ(Comments(history, cut.start, cut.end), cut.comments) << cut.start << ".." << cut.end;
  }
  const auto all = history.Summary(0, 1000, 100);
  ASSERT_EQ(all->size(), 4u);
  EXPECT_EQ(all->at(0).tag, "LEVEL");
  EXPECT_EQ(all->at(0).description, "Level high");
  EXPECT_EQ(all->at(0).off, 200);
  EXPECT_FALSE(all->at(3).off);
  EXPECT_EQ(history.Summary(0, 1000, 4)->size(), 4u);
  EXPECT_FALSE(history.Summary(0, 1000, 3)) << "over the row limit";
}

// Alarms are recognised by what they watch, not by their place in the project.
TEST_F(AlarmHistoryTest, OpenOccurrencesOutliveTheConnectionAndPruningUnlessTheAlarmIsGone) {
  {
    Database db(file);
    AlarmHistory(project, db)
        .Record({{0, true, 100, "old"},
                 {0, false, 200, {}},
                 {2, true, 300, "open"},
                 {1, true, 350, "dropped"}});
  }
  Project smaller = project;
  smaller.alarms.erase(smaller.alarms.begin() + 1);  // the pump alarm is gone
  smaller.Finish();
  Database db(file);
  AlarmHistory history(smaller, db);
  history.CloseUnknown(500);
  const auto open = history.Open();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0].alarm, 1u);
  EXPECT_EQ(open[0].since, 300);
  EXPECT_EQ(open[0].comment, "open");
  const auto rows = history.Summary(0, 1000, 100).value();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2].comment, "dropped");
  EXPECT_EQ(rows[2].off, 500);

  history.Prune(1000);  // the ended ones go, the open one stays whatever its age
  EXPECT_EQ(Comments(history, 0, 2000), std::vector<std::string>{"open"});
}

}  // namespace
}  // namespace znsim
