// GetConnection's failover between primary and standby, against the scripted library.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "ConnectionTable.h"
#include "FakeZnApi.h"

namespace {

using server::basZNAPI;
using server::kFalse;
using server::kTrue;

constexpr const char* kPrimary = "primary";
constexpr const char* kStandby = "standby";

enum class State { Idle, OnPrimary, OnPrimaryWithSpare, OnStandbyParked, OnStandbyRetrying };
enum class Answer { None, Primary, Standby };

class ConnectionTableTest : public ::testing::Test {
 protected:
  ConnectionTableTest() : module(api) {
    api.server(kPrimary);
    api.server(kStandby);
    auto& t = module.table();
    t.Computer = {kPrimary, kStandby};
    t.UserID = {"Engineer", "Operator"};
    t.Password = {"pw0", "pw1"};
    t.SlotCount = 2;
  }

  // Opens the handles a state holds directly through the library, as earlier calls would
  // have left them, then forgets those calls.
  void enter(State state) {
    auto& t = module.table();
    switch (state) {
      case State::Idle:
        break;
      case State::OnPrimaryWithSpare:
        t.Handle[1] = open(kStandby);
        [[fallthrough]];
      case State::OnPrimary:
        t.Handle[0] = open(kPrimary);
        t.CurrentSlot = 0;
        break;
      case State::OnStandbyParked:
      case State::OnStandbyRetrying:
        t.Handle[1] = open(kStandby);
        t.OpenAllowed[0] = state == State::OnStandbyParked ? kFalse : kTrue;
        t.CurrentSlot = 1;
        break;
    }
    api.calls.clear();
  }

  std::int32_t open(const char* computer) {
    const std::int32_t h = api.znOpen(computer, "", "", 0);
    names[h] = computer;
    return h;
  }

  // The calls made, as "open primary", "test standby", "close primary".
  std::vector<std::string> trace() {
    std::vector<std::string> out;
    for (const auto& c : api.calls) {
      if (c.name == "znOpen") {
        out.push_back("open " + c.args[0]);
      } else if (c.name == "znZncode") {
        EXPECT_EQ(c.args[1], "Time(1)");
        out.push_back("test " + names[std::stoi(c.args[0])]);
      } else if (c.name == "znClose") {
        out.push_back("close " + names[std::stoi(c.args[0])]);
      } else {
        out.push_back(c.name);
      }
    }
    return out;
  }

  // Remembers which computer each newly opened handle belongs to.
  std::int32_t getConnection() {
    const std::int32_t h = module.GetConnection();
    if (h != 0) names.emplace(h, module.table().Computer[module.table().CurrentSlot]);
    return h;
  }

  fake::FakeZnApi api;
  basZNAPI module;
  std::map<std::int32_t, std::string> names;
};

struct Transition {
  const char* name;
  State from;
  bool primaryUp;
  bool standbyUp;
  bool tryPrimaryFirst;
  Answer answer;
  State to;
  std::vector<std::string> calls;
};

void PrintTo(const Transition& t, std::ostream* os) {
  *os << t.name;
}

class TwoSlotTransitions : public ConnectionTableTest,
                           public ::testing::WithParamInterface<Transition> {};

TEST_P(TwoSlotTransitions, FollowTheFailoverRule) {
  const Transition& tr = GetParam();
  enter(tr.from);
  const auto before = module.table().Handle;
  api.server(kPrimary).up = tr.primaryUp;
  api.server(kStandby).up = tr.standbyUp;
  module.table().TryPrimaryFirst = tr.tryPrimaryFirst ? kTrue : kFalse;

  const std::int32_t h = getConnection();
  const auto& t = module.table();

  EXPECT_EQ(trace(), tr.calls);
  switch (tr.answer) {
    case Answer::None:
      EXPECT_EQ(h, 0);
      break;
    case Answer::Primary:
      EXPECT_NE(h, 0);
      EXPECT_EQ(h, t.Handle[0]);
      break;
    case Answer::Standby:
      EXPECT_NE(h, 0);
      EXPECT_EQ(h, t.Handle[1]);
      break;
  }
  switch (tr.to) {
    case State::Idle:
      EXPECT_EQ(t.Handle[0], 0);
      EXPECT_EQ(t.Handle[1], 0);
      EXPECT_EQ(t.OpenAllowed[0], kTrue);
      EXPECT_EQ(t.CurrentSlot, 0);
      break;
    case State::OnPrimary:
    case State::OnPrimaryWithSpare:
      EXPECT_EQ(t.CurrentSlot, 0);
      EXPECT_EQ(t.Handle[1] != 0, tr.to == State::OnPrimaryWithSpare);
      break;
    case State::OnStandbyParked:
    case State::OnStandbyRetrying:
      EXPECT_EQ(t.CurrentSlot, 1);
      EXPECT_EQ(t.Handle[0], 0);
      EXPECT_EQ(t.OpenAllowed[0], tr.to == State::OnStandbyParked ? kFalse : kTrue);
      break;
  }
  EXPECT_EQ(t.OpenAllowed[1], kTrue);
  // Every handle the library still holds open is one the table still knows.
  for (std::int32_t open : api.openConnections()) {
    EXPECT_TRUE(open == t.Handle[0] || open == t.Handle[1]) << "leaked handle " << open;
  }
  // A handle that passed its test is kept, never replaced by a new one.
  if (tr.answer == Answer::Standby && before[1] != 0) {
    EXPECT_EQ(h, before[1]);
  }
}

using S = State;
using A = Answer;
INSTANTIATE_TEST_SUITE_P(
    ConnectionTable, TwoSlotTransitions,
    ::testing::Values(Transition{"IdlePrimaryOpens",
                                 S::Idle,
                                 true,
                                 true,
                                 false,
                                 A::Primary,
                                 S::OnPrimary,
                                 {"open primary"}},
                      Transition{"IdleStandbyOpensParked",
                                 S::Idle,
                                 false,
                                 true,
                                 false,
                                 A::Standby,
                                 S::OnStandbyParked,
                                 {"open primary", "open standby"}},
                      Transition{"IdleStandbyOpensRetrying",
                                 S::Idle,
                                 false,
                                 true,
                                 true,
                                 A::Standby,
                                 S::OnStandbyRetrying,
                                 {"open primary", "open standby"}},
                      Transition{"IdleNeitherAnswers",
                                 S::Idle,
                                 false,
                                 false,
                                 false,
                                 A::None,
                                 S::Idle,
                                 {"open primary", "open standby"}},
                      Transition{"OnPrimaryPasses",
                                 S::OnPrimary,
                                 true,
                                 true,
                                 false,
                                 A::Primary,
                                 S::OnPrimary,
                                 {"test primary"}},
                      Transition{"OnPrimarySpareIsLeftAlone",
                                 S::OnPrimaryWithSpare,
                                 true,
                                 true,
                                 false,
                                 A::Primary,
                                 S::OnPrimaryWithSpare,
                                 {"test primary"}},
                      Transition{"OnPrimaryFailsStandbyOpensParked",
                                 S::OnPrimary,
                                 false,
                                 true,
                                 false,
                                 A::Standby,
                                 S::OnStandbyParked,
                                 {"test primary", "close primary", "open standby"}},
                      Transition{"OnPrimaryFailsStandbyOpensRetrying",
                                 S::OnPrimary,
                                 false,
                                 true,
                                 true,
                                 A::Standby,
                                 S::OnStandbyRetrying,
                                 {"test primary", "close primary", "open standby"}},
                      Transition{"OnPrimaryFailsSpareTakesOver",
                                 S::OnPrimaryWithSpare,
                                 false,
                                 true,
                                 false,
                                 A::Standby,
                                 S::OnStandbyParked,
                                 {"test primary", "close primary", "test standby"}},
                      Transition{"OnPrimaryFailsStandbyDown",
                                 S::OnPrimary,
                                 false,
                                 false,
                                 false,
                                 A::None,
                                 S::Idle,
                                 {"test primary", "close primary", "open standby"}},
                      Transition{
                          "OnPrimaryFailsSpareDead",
                          S::OnPrimaryWithSpare,
                          false,
                          false,
                          true,
                          A::None,
                          S::Idle,
                          {"test primary", "close primary", "test standby", "close standby"}},
                      Transition{"ParkedStandbyPasses",
                                 S::OnStandbyParked,
                                 true,
                                 true,
                                 false,
                                 A::Standby,
                                 S::OnStandbyParked,
                                 {"test standby"}},
                      Transition{"ParkedStandbyFailsPrimaryNotTried",
                                 S::OnStandbyParked,
                                 true,
                                 false,
                                 false,
                                 A::None,
                                 S::Idle,
                                 {"test standby", "close standby"}},
                      Transition{"RetryingPrimaryOpens",
                                 S::OnStandbyRetrying,
                                 true,
                                 true,
                                 true,
                                 A::Primary,
                                 S::OnPrimaryWithSpare,
                                 {"open primary"}},
                      Transition{"RetryingPrimaryDownStandbyPasses",
                                 S::OnStandbyRetrying,
                                 false,
                                 true,
                                 true,
                                 A::Standby,
                                 S::OnStandbyRetrying,
                                 {"open primary", "test standby"}},
                      Transition{"RetryingUntickedParks",
                                 S::OnStandbyRetrying,
                                 false,
                                 true,
                                 false,
                                 A::Standby,
                                 S::OnStandbyParked,
                                 {"open primary", "test standby"}},
                      Transition{"RetryingBothDown",
                                 S::OnStandbyRetrying,
                                 false,
                                 false,
                                 true,
                                 A::None,
                                 S::Idle,
                                 {"open primary", "test standby", "close standby"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectionTableTest, OpensWithTheSlotsOwnSettings) {
  api.server(kPrimary).up = false;
  getConnection();
  const auto opens = api.callsOf("znOpen");
  ASSERT_EQ(opens.size(), 2u);
  EXPECT_EQ(opens[0].args, (std::vector<std::string>{kPrimary, "Engineer", "pw0", "0"}));
  EXPECT_EQ(opens[1].args, (std::vector<std::string>{kStandby, "Operator", "pw1", "0"}));
}

TEST_F(ConnectionTableTest, ParkedStandbyIsLeftOnlyWhenItFailsAndPrimaryIsRetriedNextCall) {
  api.server(kPrimary).up = false;
  const std::int32_t standby = getConnection();
  ASSERT_EQ(module.table().CurrentSlot, 1);

  api.server(kPrimary).up = true;  // the primary is back, but parked calls do not look
  EXPECT_EQ(getConnection(), standby);
  api.server(kStandby).up = false;
  EXPECT_EQ(getConnection(), 0);
  api.calls.clear();
  const std::int32_t primary = getConnection();
  EXPECT_NE(primary, 0);
  EXPECT_EQ(module.table().CurrentSlot, 0);
  EXPECT_EQ(trace(), std::vector<std::string>{"open primary"});
}

TEST_F(ConnectionTableTest, OneSlotDeadPrimaryIsClosedOnceAndReopenedOnlyByTheNextCall) {
  auto& t = module.table();
  t.SlotCount = 1;
  const std::int32_t first = getConnection();
  ASSERT_NE(first, 0);

  api.server(kPrimary).up = false;
  api.calls.clear();
  EXPECT_EQ(getConnection(), 0);
  // The server came back at once, yet the slot found dead is not opened again in this call.
  EXPECT_EQ(trace(), (std::vector<std::string>{"test primary", "close primary"}));
  EXPECT_EQ(t.Handle[0], 0);
  EXPECT_EQ(t.CurrentSlot, 0);

  api.server(kPrimary).up = true;
  api.calls.clear();
  const std::int32_t second = getConnection();
  EXPECT_NE(second, 0);
  EXPECT_NE(second, first);
  EXPECT_EQ(trace(), std::vector<std::string>{"open primary"});
  EXPECT_EQ(api.countOf("znClose"), 0);
}

TEST_F(ConnectionTableTest, OneSlotNeverTouchesTheStandby) {
  auto& t = module.table();
  t.SlotCount = 1;
  api.server(kPrimary).up = false;
  EXPECT_EQ(getConnection(), 0);
  EXPECT_EQ(getConnection(), 0);
  EXPECT_EQ(trace(), (std::vector<std::string>{"open primary", "open primary"}));
  EXPECT_EQ(t.OpenAllowed[0], kTrue);
  EXPECT_EQ(t.CurrentSlot, 0);
}

TEST_F(ConnectionTableTest, SlotCountDropLeavesAnOpenStandbyUntouched) {
  enter(State::OnPrimaryWithSpare);
  const std::int32_t spare = module.table().Handle[1];
  module.table().SlotCount = 1;
  api.server(kPrimary).up = false;

  EXPECT_EQ(getConnection(), 0);
  EXPECT_EQ(trace(), (std::vector<std::string>{"test primary", "close primary"}));
  EXPECT_EQ(module.table().Handle[1], spare);
  EXPECT_TRUE(api.openConnections().count(spare));
}

TEST_F(ConnectionTableTest, SlotCountDropWhileParkedSkipsOneCallThenOpensPrimary) {
  enter(State::OnStandbyParked);
  module.table().SlotCount = 1;

  EXPECT_EQ(getConnection(), 0);
  EXPECT_TRUE(api.calls.empty());
  EXPECT_EQ(module.table().OpenAllowed[0], kTrue);
  EXPECT_EQ(module.table().CurrentSlot, 0);

  EXPECT_NE(getConnection(), 0);
  EXPECT_EQ(trace(), std::vector<std::string>{"open primary"});
}

TEST_F(ConnectionTableTest, SlotCountOutsideOneOrTwoVisitsOnlyRealSlots) {
  module.table().SlotCount = 5;
  api.server(kPrimary).up = false;
  api.server(kStandby).up = false;
  EXPECT_EQ(getConnection(), 0);
  EXPECT_EQ(trace(), (std::vector<std::string>{"open primary", "open standby"}));

  module.table().SlotCount = -1;
  api.calls.clear();
  EXPECT_EQ(getConnection(), 0);
  EXPECT_TRUE(api.calls.empty());
}

TEST_F(ConnectionTableTest, LibraryErrorPassesToTheCallerAndLeavesAValidSlot) {
  api.missingLibrary = "Cannot load libznapi.so: not found";
  try {
    module.GetConnection();
    FAIL() << "no LibraryError";
  } catch (const server::LibraryError& e) {
    EXPECT_STREQ(e.what(), "Cannot load libznapi.so: not found");
  }
  EXPECT_EQ(module.table().CurrentSlot, 0);
  EXPECT_EQ(module.ServerName(), kPrimary);
}

TEST_F(ConnectionTableTest, LibraryErrorFromTheStandbyOpenPassesAfterThePrimaryWasClosed) {
  enter(State::OnPrimary);
  api.server(kPrimary).up = false;
  api.onCall = [](const fake::Call& c) {
    if (c.name == "znOpen") throw server::LibraryError("Entry point znOpen not found");
  };
  EXPECT_THROW(module.GetConnection(), server::LibraryError);
  EXPECT_EQ(module.table().Handle[0], 0);
  EXPECT_EQ(api.countOf("znClose"), 1);
  EXPECT_EQ(module.table().CurrentSlot, 0);
}

TEST_F(ConnectionTableTest, ServerNameIsTheCurrentComputerOrLocal) {
  auto& t = module.table();
  t.CurrentSlot = 1;
  EXPECT_EQ(module.ServerName(), kStandby);
  t.Computer[1].clear();
  EXPECT_EQ(module.ServerName(), "LOCAL");
  t.CurrentSlot = 0;
  EXPECT_EQ(module.ServerName(), kPrimary);
}

TEST_F(ConnectionTableTest, EmptyComputerIsPassedAsEmpty) {
  auto& t = module.table();
  t.Computer[0].clear();
  api.server("");
  EXPECT_NE(getConnection(), 0);
  EXPECT_EQ(api.callsOf("znOpen").at(0).args.at(0), "");
  EXPECT_EQ(module.ServerName(), "LOCAL");
}

}  // namespace
