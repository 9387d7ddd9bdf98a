// Faults asked of a real znsim, or a server stopped: each ends the library's call within its
// deadline with the reason that fault implies, and only an administrator may ask for one.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "LibraryTestSupport.h"

namespace {

using namespace std::chrono_literals;
using namespace znapi::testing;
using testing_support::TempDir;
using testing_support::ZnsimProcess;
using Clock = std::chrono::steady_clock;

TEST(Faults, EachEndsTheCallWithinItsDeadlineWithItsReason) {
  struct Case {
    const char* fault;
    const char* reason;  // what the failing call's last error says
  };
  const Case cases[] = {
      {"SimFault(\"delay\", 20000)", "no answer from"},
      {"SimFault(\"silent\", 20)", "no answer from"},
      {"SimFault(\"drop\")", "connection closed by"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    ZnsimProcess server;
    const int32_t admin = OpenTo(server);
    const int32_t victim = OpenImpatient(server);
    ASSERT_GT(admin, 0);
    ASSERT_GT(victim, 0);
    ASSERT_TRUE(Zncode(admin, c.fault).has_value()) << LastError();

    const auto start = Clock::now();
    EXPECT_FALSE(ReadTag(victim, "LIT101").has_value());
    EXPECT_LT(Clock::now() - start, 20s) << "past ten times the deadline";
    EXPECT_NE(LastError().find(c.reason), std::string::npos) << LastError();
    znClose(victim);

    // A drop ends only the connections open then; the other faults hold until cleared, and
    // the call that clears them is answered at once.
    if (std::string(c.fault).find("drop") == std::string::npos) {
      EXPECT_TRUE(Zncode(admin, "SimFault(\"none\")").has_value()) << LastError();
    }
    znClose(admin);
    const int32_t after = OpenImpatient(server);
    ASSERT_GT(after, 0) << LastError();
    EXPECT_TRUE(ReadTag(after, "LIT101").has_value()) << LastError();
    znClose(after);
  }
}

// A stopped server fails the request at its deadline; the connection stays broken after.
TEST(Faults, AStoppedServerFailsTheRequestAndTheConnectionStaysBroken) {
  ZnsimProcess server;
  const int32_t h = OpenImpatient(server);
  ASSERT_GT(h, 0);
  const int32_t list = znListNew(h, 0);
  const int32_t item = znListAdd(list, "LIT101");
  ASSERT_NE(znListRead(list, 0), 0);

  server.pause();
  const auto start = Clock::now();
  EXPECT_FALSE(ReadTag(h, "LIT101").has_value());
  EXPECT_GE(Clock::now() - start, 1900ms) << "gave up before the deadline";
  server.resume();

  // The server answers again, but this connection may hold a late reply: it stays failed.
  // Every call goes through the one connection rule, seen in full in the ServerConnection tests.
  EXPECT_FALSE(ReadTag(h, "LIT101").has_value());
  EXPECT_EQ(znListRead(list, 0), 0);
  EXPECT_FALSE(ListData(item).has_value()) << "a value from before the failure is not current";
  EXPECT_NE(znClose(h), 0);

  const int32_t fresh = OpenTo(server);
  EXPECT_TRUE(ReadTag(fresh, "LIT101").has_value());
  znClose(fresh);
}

TEST(Faults, RefusedLoginsFailTheOpenWithTheTimeLeft) {
  ZnsimProcess server({"--fault", "refuse-logins:600"});
  const auto start = Clock::now();
  EXPECT_EQ(OpenTo(server), 0);
  EXPECT_LT(Clock::now() - start, 30s) << "past ten times the connect deadline";
  EXPECT_NE(LastError().find("logins are refused for another"), std::string::npos) << LastError();
}

TEST(Faults, OnlyAnAdministratorMaySetOne) {
  TempDir dir;
  const std::string project = dir.path + "/works.toml";
  std::ofstream(project) << "[[users]]\nname = \"Engineer\"\nadministrator = true\nhash = \""
                         << PasswordHash(kPassword) << "\"\n"
                         << "[[users]]\nname = \"Operator\"\nhash = \"" << PasswordHash("op-pass")
                         << "\"\n"
                         << "[[tags]]\nname = \"FLOW\"\ntype = \"integer\"\n"
                         << "sim = { kind = \"constant\", offset = 12 }\n";
  ZnsimProcess server({"--project", project});
  const int32_t op = znOpen(server.address().c_str(), "Operator", "op-pass", 0);
  ASSERT_GT(op, 0) << LastError();
  EXPECT_EQ(ReadTag(op, "FLOW"), "12") << "the file's own tag, as its model gives it";
  EXPECT_FALSE(Zncode(op, "SimFault(\"refuse-logins\", 60)").has_value());
  EXPECT_NE(LastError().find("administrators only"), std::string::npos) << LastError();
  znClose(op);

  const int32_t admin = OpenTo(server);
  ASSERT_GT(admin, 0) << "the refused request set nothing: " << LastError();
  EXPECT_TRUE(Zncode(admin, "SimFault(\"refuse-logins\", 60)").has_value()) << LastError();
  EXPECT_EQ(znOpen(server.address().c_str(), "Operator", "op-pass", 0), 0);
  znClose(admin);
}

}  // namespace
