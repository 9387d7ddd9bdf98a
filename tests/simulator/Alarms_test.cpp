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
  TextPool pool;
  for (const auto& c : cases) {
    const AlarmDef alarm(pool, "T", c.condition, 2, 0.5, "SP", "d");
    EXPECT_EQ(AlarmHolds(alarm, c.value, 5, c.active), c.holds)
        << AlarmConditionName(c.condition) << " value " << c.value << " active " << c.active;
  }
}

// Values set by hand, by tag name.
class SetValues : public AlarmInputs {
 public:
  explicit SetValues(const Project& project) : project_(project) {}
  double Number(std::size_t tag, Millis) const override {
    return values.find(project_.tags[tag].name())->second;
  }
  double SteadySeconds(std::size_t, Millis, double) const override { return 0; }
  std::map<std::string, double, std::less<>> values{{"LEVEL", 4}, {"LEVEL_SP", 4}, {"PUMP", 0}};

 private:
  const Project& project_;
};

TEST(AlarmEngine, ReportsEachOnAndOffTransitionOnce) {
  const Project project = simtest::SmallProject();
  AlarmEngine engine(project);
  SetValues set(project);
  auto& values = set.values;
  // Every alarm, in two slices, as a large plant is seeded.
  const auto evaluate = [&](Millis now) {
    auto all = engine.Evaluate(now, set, 0, 1);
    auto rest = engine.Evaluate(now, set, 1, project.alarms.size());
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
  };

  EXPECT_TRUE(evaluate(1000).empty());
  values["LEVEL"] = 4.6;
  auto t = evaluate(2000);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].alarm, 0u);
  EXPECT_TRUE(t[0].on);
  EXPECT_EQ(t[0].at, 2000);
  EXPECT_EQ(t[0].comment, "4.6 above 4.5");
  EXPECT_TRUE(evaluate(3000).empty()) << "an active alarm is not reported again";

  values["LEVEL"] = 7;  // the high alarm stays on; the deviation alarm joins it
  values["PUMP"] = 1;
  t = evaluate(5000);
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].alarm, 1u);
  EXPECT_EQ(t[1].alarm, 2u);

  values["LEVEL"] = 4;
  values["PUMP"] = 0;
  t = evaluate(6000);
  ASSERT_EQ(t.size(), 3u);
  for (const auto& transition : t) EXPECT_FALSE(transition.on);
  EXPECT_TRUE(engine.Active().empty());
}

class AlarmHistoryTest : public ::testing::Test {
 protected:
  static std::vector<AlarmOccurrence> All(AlarmHistory& history, Millis start, Millis end) {
    return history.Page(history.Summary(start, end), nullptr, 0, 100);
  }
  static std::vector<std::string> Comments(AlarmHistory& history, Millis start, Millis end) {
    std::vector<std::string> out;
    for (const auto& row : All(history, start, end)) out.push_back(row.comment);
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
  const auto all = All(history, 0, 1000);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all.at(0).tag, "LEVEL");
  EXPECT_EQ(all.at(0).description, "Level high");
  EXPECT_EQ(all.at(0).off, 200);
  EXPECT_FALSE(all.at(3).off);
}

// A summary is read a page at a time; pages that follow on from the last cost no skipping,
// and the rows of a summary stay those it counted when it opened.
TEST_F(AlarmHistoryTest, SummaryPagesFollowOnAndKeepToTheRowsCounted) {
  Database db(file);
  AlarmHistory history(project, db);
  std::vector<AlarmTransition> transitions;
  for (int i = 0; i < 50; ++i) {
    transitions.push_back({0, true, 100 + i / 2, std::to_string(i)});  // ties on the instant
    transitions.push_back({0, false, 100 + i / 2, {}});
  }
  history.Record(transitions);
  const auto period = history.Summary(0, 1000);
  history.Record({{1, true, 500, "later"}});
  ASSERT_EQ(history.Count(period), 50u);
  std::vector<std::string> walked;
  std::optional<AlarmOccurrence> last;
  std::vector<AlarmOccurrence> page;
  for (std::uint64_t offset = 0; offset < 50; offset += page.size()) {
    page = history.Page(period, last ? &*last : nullptr, offset, 7);
    ASSERT_FALSE(page.empty());
    const auto jumped = history.Page(period, nullptr, offset, 7);
    ASSERT_EQ(jumped.size(), page.size());
    EXPECT_EQ(jumped.front().comment, page.front().comment) << "a jump finds the same rows";
    for (const auto& row : page) walked.push_back(row.comment);
    last = page.back();
  }
  std::vector<std::string> expected;
  for (int i = 0; i < 50; ++i) expected.push_back(std::to_string(i));
  EXPECT_EQ(walked, expected);
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
  const auto rows = All(history, 0, 1000);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2].comment, "dropped");
  EXPECT_EQ(rows[2].off, 500);

  history.Prune(1000);  // the ended ones go, the open one stays whatever its age
  EXPECT_EQ(Comments(history, 0, 2000), std::vector<std::string>{"open"});
}

}  // namespace
}  // namespace znsim
