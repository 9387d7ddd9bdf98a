// Alarms looked at only when due against alarms looked at every tick: over two hours of
// ticks that come late by varying amounts, with every kind of model and a write on the way,
// both see every switch at the same tick.
#include <gtest/gtest.h>

#include <random>

#include "AlarmEngine.h"
#include "Plant.h"
#include "SmallProject.h"
#include "TagStore.h"

namespace znsim {
namespace {

// Counts the values asked of the store: the looks an engine takes.
class CountingInputs : public AlarmInputs {
 public:
  explicit CountingInputs(const TagStore& store) : store_(store) {}
  double Number(std::size_t tag, Millis now) const override {
    ++reads;
    return store_.Number(tag, now);
  }
  double SteadySeconds(std::size_t tag, Millis now, double margin) const override {
    return store_.SteadySeconds(tag, now, margin);
  }
  mutable long reads = 0;

 private:
  const TagStore& store_;
};

Project MovingProject() {
  Project p;
  TextPool& pool = p.pool();
  const struct {
    SimKind kind;
    TagType type;
    double offset, amplitude, period;
  } models[] = {
      {SimKind::Sine, TagType::Real, 50, 10, 300},
      {SimKind::Sine, TagType::Integer, 50, 10, 200},
      {SimKind::Random, TagType::Real, 5, 3, 40},
      {SimKind::Ramp, TagType::Real, 0, 100, 250},
      {SimKind::Square, TagType::Real, 0, 10, 90},
      {SimKind::Square, TagType::Digital, 0, 1, 70},
      {SimKind::Sine, TagType::Digital, 0.4, 0.7, 130},
      {SimKind::Constant, TagType::Real, 7, 0, 60},
  };
  for (int copy = 0; copy < 4; ++copy) {
    for (std::size_t m = 0; m < std::size(models); ++m) {
      const std::string name = "T" + std::to_string(copy) + "_" + std::to_string(m);
      TagDef tag(pool, name);
      tag.type = models[m].type;
      tag.decimals = static_cast<std::uint8_t>(copy % 3);
      tag.sim = SimModel(models[m].kind, models[m].offset, models[m].amplitude,
                         models[m].period * (1 + 0.37 * copy), 0.13 * copy, 11u + copy);
      p.tags.push_back(std::move(tag));
      const double middle = models[m].offset + models[m].amplitude * 0.3;
      p.alarms.emplace_back(pool, name, AlarmCondition::High, middle, 0.5, "", "high");
      p.alarms.emplace_back(pool, name, AlarmCondition::Low, middle, 0.2, "", "low");
      p.alarms.emplace_back(pool, name, AlarmCondition::On, 0, 0, "", "on");
      // Reached only near the top of the model's swing, from a whole swing away.
      const double top = models[m].offset + models[m].amplitude * 0.97;
      p.alarms.emplace_back(pool, name, AlarmCondition::High, top, 0, "", "top");
      if (m > 0) {
        const std::string other = "T" + std::to_string(copy) + "_" + std::to_string(m - 1);
        p.alarms.emplace_back(pool, name, AlarmCondition::Deviation, 8, 1, other, "apart");
      }
    }
  }
  p.Finish();
  return p;
}

TEST(AlarmSchedule, SeesEverySwitchAtTheTickAFullLookSees) {
  simtest::TempDir dir;
  const Project project = MovingProject();
  Database db(dir / "znsim.db");
  TagStore store(project, db, "alpha");
  AlarmEngine everyTick(project);
  AlarmEngine whenDue(project);
  CountingInputs counted(store);
  std::mt19937 lateness(7);
  const Millis start = 1'700'000'000'000;
  long switches = 0;
  for (int tick = 0; tick < 7200; ++tick) {
    const Millis now = start + tick * 1000 + static_cast<Millis>(lateness() % 900);
    if (tick == 3000) store.Write("T1_0", "95");  // far above its high limit from now on
    const auto all = everyTick.Evaluate(now, store, 0, project.alarms.size());
    const auto due = whenDue.EvaluateDue(now, counted, store.TakeWritten());
    ASSERT_EQ(due.size(), all.size()) << "tick " << tick;
    for (std::size_t i = 0; i < all.size(); ++i) {
      EXPECT_EQ(due[i].alarm, all[i].alarm) << "tick " << tick;
      EXPECT_EQ(due[i].on, all[i].on) << "tick " << tick;
      EXPECT_EQ(due[i].comment, all[i].comment) << "tick " << tick;
    }
    switches += static_cast<long>(all.size());
  }
  EXPECT_GT(switches, 1000) << "the models move enough to test anything";
  const long everyTickReads = 7200L * static_cast<long>(project.alarms.size());
  EXPECT_LT(counted.reads, everyTickReads / 3) << "looks taken when due";
  EXPECT_EQ(whenDue.Active().size(), everyTick.Active().size());
}

}  // namespace
}  // namespace znsim
