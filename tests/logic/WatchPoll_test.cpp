// A watch's cycles against the scripted library: one list read per cycle, the list made once
// per connection, the standby's values after a failover, and what each tag's row shows.
#include <gtest/gtest.h>

#include "FakeZnApi.h"
#include "WatchCycle.h"
#include "WatchedTags.h"

namespace {

using namespace std::chrono_literals;

struct WatchPollTest : ::testing::Test {
  fake::FakeZnApi api;
  binding::basZNAPI module{api};

  WatchPollTest() {
    for (const char* computer : {"P", "S"}) {
      fake::Server& server = api.server(computer);
      server.tags = {{"LEVEL", "1.5"}, {"STATE", "Open"}};
    }
    module.table().Computer = {"P", "S"};
    module.table().SlotCount = 2;
  }
};

TEST_F(WatchPollTest, EachCycleIsOneListReadAndAFailoverReadsTheStandbysValues) {
  logic::WatchPoll poll(module, {"LEVEL", "STATE", "MISSING"}, 1s);
  for (int cycle = 0; cycle < 3; ++cycle) {
    const logic::WatchCycle read = poll.Run();
    ASSERT_FALSE(read.gap) << read.reason.toStdString();
    EXPECT_EQ(read.server, "P");
    ASSERT_EQ(read.values.size(), 3u);
    EXPECT_EQ(read.values[0].text, "1.5");
    EXPECT_EQ(read.values[2].outcome, binding::ListValue::Outcome::NotRead);
  }
  EXPECT_EQ(api.countOf("znListRead"), 3);
  EXPECT_EQ(api.countOf("znListNew"), 1);
  EXPECT_EQ(api.countOf("znListAdd"), 3);  // once per tag, not once per cycle

  api.server("P").up = false;
  api.server("S").tags["LEVEL"] = "2";
  // The dead primary is noticed and closed by one cycle; the standby answers the next.
  logic::WatchCycle read = poll.Run();
  if (read.gap) read = poll.Run();
  ASSERT_FALSE(read.gap) << read.reason.toStdString();
  EXPECT_TRUE(read.standby);
  EXPECT_EQ(read.values[0].text, "2");
  EXPECT_EQ(api.countOf("znListNew"), 2);  // a list of its own on the standby's connection

  api.server("S").up = false;
  read = poll.Run();
  read = read.gap ? read : poll.Run();
  EXPECT_TRUE(read.gap);
  EXPECT_TRUE(read.values.empty());
  EXPECT_FALSE(read.reason.isEmpty());
}

logic::WatchCycle Cycle(int second, std::vector<binding::ListValue> values,
                        const char* server = "P") {
  return {QDateTime(QDate(2026, 12, 8), QTime(10, 0, second)),
          false,
          false,
          server,
          {},
          std::move(values)};
}

binding::ListValue Read(const char* text) {
  return {binding::ListValue::Outcome::Read, text};
}
const binding::ListValue kNotRead{binding::ListValue::Outcome::NotRead, {}};

// Numbers, texts and a failing tag: what each row shows after each cycle, and which rows the
// table must repaint.
TEST(WatchedTags, ChangesAreCountedAfterTheFirstReadingAndAGapChangesNothing) {
  logic::WatchedTags watched({"N", "T", "F"});
  struct Step {
    logic::WatchCycle cycle;
    std::vector<int> touched;
    bool anyChanged;
  };
  logic::WatchCycle gap = Cycle(4, {});
  gap.gap = true;
  const Step steps[] = {
      {Cycle(0, {Read("5"), Read("Open"), Read("1")}), {0, 1, 2}, false},
      {Cycle(1, {Read("5"), Read("Open"), Read("1")}), {}, false},
      {Cycle(2, {Read("-2.5"), Read("Open"), kNotRead}), {0, 2}, true},
      {Cycle(3, {Read("7"), Read("Shut"), kNotRead}), {0, 1}, true},
      {gap, {}, false},
      {Cycle(5, {Read("7"), Read("Shut"), Read("1")}, "S"), {0, 1, 2}, true},
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    EXPECT_EQ(watched.Apply(steps[i].cycle), steps[i].touched) << "step " << i;
    EXPECT_EQ(watched.anyChanged(), steps[i].anyChanged) << "step " << i;
  }
  const auto& n = watched.tags()[0];
  EXPECT_EQ(n.value, "7");
  EXPECT_EQ(n.changes, 2);
  EXPECT_EQ(n.changed.time(), QTime(10, 0, 3));
  EXPECT_EQ(n.min, -2.5);
  EXPECT_EQ(n.max, 7);
  EXPECT_EQ(n.server, "S");
  const auto& t = watched.tags()[1];
  EXPECT_EQ(t.changes, 1);
  EXPECT_FALSE(t.min.has_value());
  const auto& f = watched.tags()[2];
  EXPECT_EQ(f.changes, 2);  // failed, then back
  EXPECT_FALSE(f.failed);
  EXPECT_EQ(f.value, "1");
  EXPECT_TRUE(watched.ChangedLastCycle(2));
  EXPECT_FALSE(watched.ChangedLastCycle(1));
}

}  // namespace
