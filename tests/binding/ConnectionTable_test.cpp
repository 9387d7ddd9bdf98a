// GetConnection's failover between primary and standby, against the scripted library. The
// plain paths (the primary opens, fails over, is taken back or not) run end to end as well.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "FakeZnApi.h"
#include "basZNAPI.h"

namespace {

using binding::kFalse;
using binding::kTrue;

// On the standby, "parked" stays there while it answers; "retrying" tries the primary first.
enum class State { Idle, OnPrimary, OnPrimaryWithSpare, Parked, Retrying, SpareOnly };
enum class Answer { None, Primary, Standby };

// The library and the table with two computers configured, "primary" and "standby".
struct Rig {
  Rig() : module(api) {
    api.server("primary");
    api.server("standby");
    auto& t = module.table();
    t.Computer = {"primary", "standby"};
    t.UserID = {"Engineer", "Operator"};
    t.Password = {"pw0", "pw1"};
    t.SlotCount = 2;
  }

  // Opens the handles a state holds directly through the library, as earlier calls would
  // have left them, then forgets those calls.
  void enter(State state) {
    auto& t = module.table();
    if (state == State::OnPrimary || state == State::OnPrimaryWithSpare) {
      t.Handle[0] = api.znOpen("primary", "", "", 0);
    }
    if (state != State::Idle && state != State::OnPrimary)
      t.Handle[1] = api.znOpen("standby", "", "", 0);
    t.OpenAllowed[0] = state == State::Parked ? kFalse : kTrue;
    t.CurrentSlot = state == State::Parked || state == State::Retrying ? 1 : 0;
    api.calls.clear();
  }

  // The calls made, as "open primary, test standby, close primary".
  std::string trace(const std::array<std::int32_t, 2>& before) {
    std::string out;
    for (const auto& c : api.calls) {
      const bool open = c.name == "znOpen";
      const std::string who = open                                ? c.args[0]
                              : std::stoi(c.args[0]) == before[0] ? "primary"
                                                                  : "standby";
      const std::string verb = open                                             ? "open"
                               : c.name == "znClose"                            ? "close"
                               : c.name == "znZncode" && c.args[1] == "Time(1)" ? "test"
                                                                                : c.name;
      out += (out.empty() ? "" : ", ") + verb + " " + who;
    }
    return out;
  }

  fake::FakeZnApi api;
  binding::basZNAPI module;
};

TEST(ConnectionTable, GetConnectionFollowsTheFailoverRule) {
  using S = State;
  using A = Answer;
  struct Transition {
    const char* name;
    int slots;
    S from;
    bool primaryUp, standbyUp, tryPrimaryFirst;
    A answer;
    S to;
    const char* calls;
  };
  const Transition transitions[] = {
      {"IdleStandbyOpensParked", 2, S::Idle, false, true, false, A::Standby, S::Parked,
       "open primary, open standby"},
      {"IdleNeitherAnswers", 2, S::Idle, false, false, false, A::None, S::Idle,
       "open primary, open standby"},
      {"OnPrimarySpareIsLeftAlone", 2, S::OnPrimaryWithSpare, true, true, false, A::Primary,
       S::OnPrimaryWithSpare, "test primary"},
      {"OnPrimaryFailsStandbyOpensRetrying", 2, S::OnPrimary, false, true, true, A::Standby,
       S::Retrying, "test primary, close primary, open standby"},
      {"OnPrimaryFailsSpareTakesOver", 2, S::OnPrimaryWithSpare, false, true, false, A::Standby,
       S::Parked, "test primary, close primary, test standby"},
      {"ParkedStandbyFailsPrimaryNotTried", 2, S::Parked, true, false, false, A::None, S::Idle,
       "test standby, close standby"},
      {"RetryingPrimaryOpens", 2, S::Retrying, true, true, true, A::Primary, S::OnPrimaryWithSpare,
       "open primary"},
      {"RetryingPrimaryDownStandbyPasses", 2, S::Retrying, false, true, true, A::Standby,
       S::Retrying, "open primary, test standby"},
      {"RetryingUntickedParks", 2, S::Retrying, false, true, false, A::Standby, S::Parked,
       "open primary, test standby"},
      {"RetryingBothDown", 2, S::Retrying, false, false, true, A::None, S::Idle,
       "open primary, test standby, close standby"},
      // One slot: the standby is never touched, not even an open one.
      {"OneSlotIdleDown", 1, S::Idle, false, true, true, A::None, S::Idle, "open primary"},
      {"OneSlotSpareLeftOpen", 1, S::OnPrimaryWithSpare, false, true, false, A::None, S::SpareOnly,
       "test primary, close primary"},
      // Parked on the standby when the slot count drops: one call finds nothing, the next
      // opens the primary.
      {"OneSlotWhileParked", 1, S::Parked, true, true, false, A::None, S::SpareOnly, ""},
      {"SlotCountAboveTwo", 5, S::Idle, false, false, false, A::None, S::Idle,
       "open primary, open standby"},
      {"SlotCountNegative", -1, S::Idle, true, true, false, A::None, S::Idle, ""},
  };
  for (const auto& tr : transitions) {
    SCOPED_TRACE(tr.name);
    Rig rig;
    rig.enter(tr.from);
    auto& t = rig.module.table();
    const auto before = t.Handle;
    t.SlotCount = static_cast<std::int16_t>(tr.slots);
    rig.api.server("primary").up = tr.primaryUp;
    rig.api.server("standby").up = tr.standbyUp;
    t.TryPrimaryFirst = tr.tryPrimaryFirst ? kTrue : kFalse;

    const std::int32_t h = rig.module.GetConnection();

    EXPECT_EQ(rig.trace(before), tr.calls);
    EXPECT_EQ(h, tr.answer == A::None ? 0 : t.Handle[tr.answer == A::Primary ? 0 : 1]);
    EXPECT_EQ(h != 0, tr.answer != A::None);
    const bool onStandby = tr.to == S::Parked || tr.to == S::Retrying;
    EXPECT_EQ(t.CurrentSlot, onStandby ? 1 : 0);
    EXPECT_EQ(t.Handle[0] != 0, tr.to == S::OnPrimary || tr.to == S::OnPrimaryWithSpare);
    EXPECT_EQ(t.Handle[1] != 0, tr.to != S::Idle && tr.to != S::OnPrimary);
    EXPECT_EQ(t.OpenAllowed[0], tr.to == S::Parked ? kFalse : kTrue);
    EXPECT_EQ(t.OpenAllowed[1], kTrue);
    // Every handle the library still holds open is one the table still knows.
    for (std::int32_t open : rig.api.openConnections()) {
      EXPECT_TRUE(open == t.Handle[0] || open == t.Handle[1]) << "leaked handle " << open;
    }
  }
}

TEST(ConnectionTable, OpensEachSlotWithItsOwnSettings) {
  Rig rig;
  rig.api.server("primary").up = false;
  rig.module.GetConnection();
  const auto opens = rig.api.callsOf("znOpen");
  ASSERT_EQ(opens.size(), 2u);
  EXPECT_EQ(opens[0].args, (std::vector<std::string>{"primary", "Engineer", "pw0", "0"}));
  EXPECT_EQ(opens[1].args, (std::vector<std::string>{"standby", "Operator", "pw1", "0"}));
  EXPECT_EQ(rig.module.ServerName(), "standby");
}

TEST(ConnectionTable, ChangedTextsReopenTheirSlotEvenAfterAFailover) {
  Rig rig;
  auto& t = rig.module.table();
  rig.api.server("primary").up = false;
  ASSERT_NE(rig.module.GetConnection(), 0);
  ASSERT_EQ(t.OpenAllowed[0], kFalse) << "parked on the standby";

  rig.api.server("primary").up = true;
  rig.module.ReopenChangedSlots();
  rig.api.calls.clear();
  rig.module.GetConnection();
  EXPECT_EQ(rig.trace(t.Handle), "test standby") << "unchanged texts keep the failover rule";

  // A third server typed as the primary is the one the next call reaches.
  rig.api.server("third");
  t.Computer[0] = "third";
  rig.module.ReopenChangedSlots();
  rig.api.calls.clear();
  EXPECT_NE(rig.module.GetConnection(), 0);
  EXPECT_EQ(rig.api.argsOf("znOpen"), std::vector<std::string>{"third"});
  EXPECT_EQ(t.CurrentSlot, 0);
  EXPECT_EQ(rig.module.ServerName(), "third");

  // A changed password closes the open handle of its slot, and only that one.
  const std::int32_t standby = t.Handle[1];
  t.Password[1] = "new";
  rig.module.ReopenChangedSlots();
  EXPECT_EQ(rig.api.openConnections(), std::set<std::int32_t>{t.Handle[0]});
  EXPECT_EQ(t.Handle[1], 0);
  EXPECT_NE(standby, 0);
}

TEST(ConnectionTable, ConnectionFailureGivesEachSlotsReasonInTheLibrarysWords) {
  struct Case {
    const char* name;
    int slots;
    bool primaryWasOpen;
    const char* failure;
  };
  const Case cases[] = {
      {"one slot", 1, false, "refused: wrong password"},
      {"two slots", 2, false, "Primary: refused: wrong password\nStandby: refused: wrong password"},
      // The liveness test's reason, read before the close that follows it.
      {"open primary lost", 2, true, "Primary: connection lost\nStandby: refused: wrong password"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    if (c.primaryWasOpen) rig.enter(State::OnPrimary);
    rig.module.table().SlotCount = static_cast<std::int16_t>(c.slots);
    rig.api.server("primary").up = false;
    rig.api.server("standby").up = false;
    rig.api.reasons = {{"znOpen", "refused: wrong password"}, {"znZncode", "connection lost"}};
    EXPECT_EQ(rig.module.GetConnection(), 0);
    EXPECT_EQ(rig.module.ConnectionFailure(), c.failure);
  }
  Rig silent;
  silent.api.server("primary").up = false;
  silent.api.server("standby").up = false;
  silent.module.GetConnection();
  EXPECT_EQ(silent.module.ConnectionFailure(), "") << "a library without reasons";
}

}  // namespace
