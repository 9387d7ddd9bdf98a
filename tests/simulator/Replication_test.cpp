// How a tag store takes the writes of its peer: the newest stamp wins whatever the order of
// arrival, a change is applied once across restarts, and the replica log stays bounded.
#include <gtest/gtest.h>

#include "SmallProject.h"
#include "TagStore.h"

namespace znsim {
namespace {

constexpr Micros kHour = 3'600'000'000;

TEST(Replication, TheNewestStampWinsAndTiesGoToTheLaterName) {
  simtest::TempDir dir;
  const Project project = simtest::SmallProject();
  Database db(dir / "t.db");
  TagStore tags(project, db, "beta");
  ASSERT_EQ(tags.Write("LEVEL", "1").status, TagStore::WriteStatus::Written);
  const Micros now = NowMicros();

  struct Step {
    const char* value;
    WriteStamp stamp;
    bool conflict;      // refused for the newer value held here
    const char* after;  // LEVEL then
  };
  const Step steps[] = {
      {"2", {now - kHour, "alpha"}, true, "1"},  // older than the local write
      {"3", {now + kHour, "alpha"}, false, "3"},
      {"4", {now + kHour, "zulu"}, false, "4"},  // same instant: the later name
      {"5", {now + kHour, "alpha"}, true, "4"},  // and not the other way round
      {"4", {now + kHour, "zulu"}, false, "4"},  // the same write again is no conflict
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.value);
    const auto outcome = tags.ApplyRemote({{"LEVEL", step.value, step.stamp}}, std::nullopt);
    EXPECT_EQ(outcome.conflicts.size(), step.conflict ? 1u : 0u);
    EXPECT_EQ(tags.Read("LEVEL", 0), step.after);
  }

  // A write taken here after a peer's stamped in the future is still the newer one.
  ASSERT_EQ(tags.Write("LEVEL", "6").status, TagStore::WriteStatus::Written);
  const auto outcome = tags.ApplyRemote({{"LEVEL", "7", {now + kHour, "zulu"}}}, std::nullopt);
  EXPECT_EQ(outcome.conflicts.size(), 1u);
  EXPECT_EQ(tags.Read("LEVEL", 0), "6");
  EXPECT_EQ(tags.ApplyRemote({{"NOSUCH", "1", {now, "zulu"}}}, std::nullopt).unknown, 1u);
}

TEST(Replication, ValuesStampsAndThePeersPositionSurviveARestart) {
  simtest::TempDir dir;
  const Project project = simtest::SmallProject();
  const Micros future = NowMicros() + kHour;
  std::string logId;
  {
    Database db(dir / "t.db");
    TagStore tags(project, db, "beta");
    logId = tags.log().id();
    tags.ApplyRemote({{"COUNT", "9", {future, "alpha"}}}, ReplicaLog::Cursor{"peer-log", 41});
    ASSERT_EQ(tags.Write("LEVEL", "2").status, TagStore::WriteStatus::Written);
  }
  Database db(dir / "t.db");
  TagStore tags(project, db, "beta");
  EXPECT_EQ(tags.log().id(), logId);
  EXPECT_EQ(tags.log().cursor().logId, "peer-log");
  EXPECT_EQ(tags.log().cursor().applied, 41u);
  EXPECT_EQ(tags.Read("COUNT", 0), "9");
  const auto copy = tags.WrittenAfter("", 10);
  ASSERT_EQ(copy.size(), 2u);
  EXPECT_EQ(copy[0].tag, "COUNT");
  EXPECT_EQ(copy[0].stamp.origin, "alpha");
  EXPECT_GT(copy[1].stamp.at, future) << "stamped after everything it had seen";
  EXPECT_EQ(copy[1].stamp.origin, "beta");
  // The same write again, as a full copy brings it, changes nothing.
  EXPECT_EQ(tags.ApplyRemote({{"COUNT", "9", {future, "alpha"}}}, std::nullopt).applied, 0u);
}

TEST(Replication, TheLogKeepsItsNewestChangesInOrder) {
  simtest::TempDir dir;
  const Project project = simtest::SmallProject();
  Database db(dir / "t.db");
  TagStore tags(project, db, "alpha", 8);
  for (int i = 1; i <= 30; ++i) {
    ASSERT_EQ(tags.Write("COUNT", std::to_string(i)).status, TagStore::WriteStatus::Written);
  }
  const ReplicaLog& log = tags.log();
  EXPECT_EQ(log.latest(), 30u);
  EXPECT_GE(log.oldest(), 30u - 8u - 8u / 8u);
  const auto kept = log.After(0, 100);
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept.front().seq, log.oldest());
  EXPECT_EQ(kept.back().seq, 30u);
  EXPECT_EQ(kept.back().value, "30");
  for (std::size_t i = 1; i < kept.size(); ++i) {
    EXPECT_EQ(kept[i].seq, kept[i - 1].seq + 1);
    EXPECT_GT(kept[i].stamp.at, kept[i - 1].stamp.at);
  }
}

}  // namespace
}  // namespace znsim
