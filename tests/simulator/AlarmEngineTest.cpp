#include <gtest/gtest.h>

#include <map>

#include "AlarmEngine.h"
#include "SmallProject.h"

namespace znsim {
namespace {

struct HoldCase {
  AlarmCondition condition;
  double value;
  bool active;
  bool holds;
};

TEST(AlarmEngine, ConditionsHonourTheDeadbandOnlyWhileActive) {
  AlarmDef alarm{"T", AlarmCondition::High, 10, 1, {}, "d"};
  const HoldCase cases[] = {
      {AlarmCondition::High, 10.5, false, true}, {AlarmCondition::High, 10, false, false},
      {AlarmCondition::High, 9.5, true, true},   {AlarmCondition::High, 9, true, false},
      {AlarmCondition::Low, 9.5, false, true},   {AlarmCondition::Low, 10.5, false, false},
      {AlarmCondition::Low, 10.5, true, true},   {AlarmCondition::Low, 11, true, false},
      {AlarmCondition::On, 1, false, true},      {AlarmCondition::On, 0, true, false},
      {AlarmCondition::Off, 0, false, true},     {AlarmCondition::Off, 1, true, false},
  };
  for (const auto& c : cases) {
    alarm.condition = c.condition;
    EXPECT_EQ(AlarmHolds(alarm, c.value, 0, c.active), c.holds)
        << AlarmConditionName(c.condition) << " value " << c.value << " active " << c.active;
  }
  const AlarmDef deviation{"T", AlarmCondition::Deviation, 2, 0.5, "SP", "d"};
  EXPECT_TRUE(AlarmHolds(deviation, 7.5, 5, false));
  EXPECT_TRUE(AlarmHolds(deviation, 2.5, 5, false));
  EXPECT_FALSE(AlarmHolds(deviation, 6.9, 5, false));
  EXPECT_TRUE(AlarmHolds(deviation, 6.9, 5, true));
  EXPECT_FALSE(AlarmHolds(deviation, 6.4, 5, true));
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

  values["LEVEL"] = 4.4;  // back under the limit but inside the deadband
  EXPECT_TRUE(engine.Evaluate(4000, value).empty());
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

TEST(AlarmEngine, RestoredAlarmIsNotANewOccurrence) {
  const Project project = simtest::SmallProject();
  AlarmEngine engine(project);
  engine.Restore(1, 500, "Went on");
  auto on = [](std::size_t) { return 1.0; };
  for (const auto& t : engine.Evaluate(1000, on)) EXPECT_NE(t.alarm, 1u);
  const auto active = engine.Active();
  ASSERT_EQ(active.size(), 1u);
  EXPECT_EQ(active[0].alarm, 1u);
  EXPECT_EQ(active[0].since, 500);

  auto off = [](std::size_t) { return 0.0; };
  const auto cleared = engine.Evaluate(2000, off);
  ASSERT_EQ(cleared.size(), 1u);
  EXPECT_EQ(cleared[0].alarm, 1u);
  EXPECT_FALSE(cleared[0].on);
}

}  // namespace
}  // namespace znsim
