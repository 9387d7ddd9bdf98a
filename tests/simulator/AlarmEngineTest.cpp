#include "AlarmEngine.h"

#include <gtest/gtest.h>

#include <map>

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
  const Case cases[] = {{C::High, 2.5, false, true},       {C::High, 2, false, false},
                        {C::High, 1.75, true, true},       {C::High, 1.5, true, false},
                        {C::Low, 1.5, false, true},        {C::Low, 2, false, false},
                        {C::Low, 2.25, true, true},        {C::Low, 2.5, true, false},
                        {C::On, 1, false, true},           {C::On, 0, true, false},
                        {C::Off, 0, false, true},          {C::Off, 1, true, false},
                        {C::Deviation, 7.5, false, true},  {C::Deviation, 2.5, false, true},
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
  for (const auto& t : engine.Evaluate(1000, [](std::size_t) { return 1.0; })) {
    EXPECT_NE(t.alarm, 1u);
  }
  ASSERT_EQ(engine.Active().size(), 1u);
  EXPECT_EQ(engine.Active()[0].since, 500);
  const auto cleared = engine.Evaluate(2000, [](std::size_t) { return 0.0; });
  ASSERT_EQ(cleared.size(), 1u);
  EXPECT_EQ(cleared[0].alarm, 1u);
  EXPECT_FALSE(cleared[0].on);
}

}  // namespace
}  // namespace znsim
