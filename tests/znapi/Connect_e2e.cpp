// Opening and losing connections to a real znsim: credentials, unreachable and stopped
// servers, and the rule that a broken connection stays broken.
#include <gtest/gtest.h>

#include <chrono>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using testing_support::ZnsimProcess;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(Connect, GoodCredentialsGiveAWorkingConnection) {
  ZnsimProcess server;
  const int32_t h = OpenTo(server);
  ASSERT_GT(h, 0);
  EXPECT_TRUE(Zncode(h, "Time(1)").has_value());
  EXPECT_NE(znClose(h), 0);
}

TEST(Connect, ComputerNameFormsReachTheServer) {
  ZnsimProcess server;
  const std::string port = std::to_string(server.port());
  for (const std::string& name : {"127.0.0.1:" + port, "localhost:" + port, " 127.0.0.1:" + port}) {
    const int32_t h = znOpen(name.c_str(), kUser, kPassword, 0);
    EXPECT_GT(h, 0) << name;
    znClose(h);
  }
  for (const std::string& name : {"127.0.0.1:" + port + "x", "[127.0.0.1:" + port, ":" + port}) {
    EXPECT_EQ(znOpen(name.c_str(), kUser, kPassword, 0), 0) << name;
  }
}

TEST(Connect, WrongCredentialsAreRefused) {
  ZnsimProcess server;
  EXPECT_EQ(OpenTo(server, "marlow"), 0);
  EXPECT_EQ(znOpen(server.address().c_str(), "Nobody", kPassword, 0), 0);
  EXPECT_EQ(znOpen(server.address().c_str(), kUser, "", 0), 0);
  // The server still serves the right credentials afterwards.
  const int32_t h = OpenTo(server);
  EXPECT_GT(h, 0);
  znClose(h);
}

TEST(Connect, NullArgumentsFailWithoutConnecting) {
  ZnsimProcess server;
  const std::string address = server.address();
  EXPECT_EQ(znOpen(nullptr, kUser, kPassword, 0), 0);
  EXPECT_EQ(znOpen(address.c_str(), nullptr, kPassword, 0), 0);
  EXPECT_EQ(znOpen(address.c_str(), kUser, nullptr, 0), 0);
}

TEST(Connect, ClosedPortFailsWithinTheDeadline) {
  const EnvOverride connect("ZNAPI_CONNECT_TIMEOUT_MS", "1000");
  const std::string address = "127.0.0.1:" + std::to_string(ClosedPort());
  const auto start = Clock::now();
  EXPECT_EQ(znOpen(address.c_str(), kUser, kPassword, 0), 0);
  EXPECT_LT(Clock::now() - start, 20s);
}

TEST(Connect, StoppedServerFailsOpenWithinTheConnectDeadline) {
  ZnsimProcess server;
  server.pause();
  const EnvOverride connect("ZNAPI_CONNECT_TIMEOUT_MS", "700");
  const auto start = Clock::now();
  EXPECT_EQ(OpenTo(server), 0);
  const auto took = Clock::now() - start;
  server.resume();
  EXPECT_GE(took, 600ms) << "gave up before the deadline";
  EXPECT_LT(took, 20s);
}

TEST(Connect, StoppedServerFailsTheRequestAndTheConnectionStaysBroken) {
  ZnsimProcess server;
  const EnvOverride request("ZNAPI_TIMEOUT_MS", "2000");
  const int32_t h = OpenTo(server);
  ASSERT_GT(h, 0);
  ASSERT_TRUE(ReadTag(h, "LIT101").has_value());

  server.pause();
  const auto start = Clock::now();
  EXPECT_FALSE(ReadTag(h, "LIT101").has_value());
  const auto took = Clock::now() - start;
  server.resume();
  EXPECT_GE(took, 1900ms);
  EXPECT_LT(took, 20s);

  // The server answers again, but this connection may hold a late reply: it stays failed.
  EXPECT_FALSE(ReadTag(h, "LIT101").has_value());
  EXPECT_FALSE(Zncode(h, "Time(1)").has_value());
  EXPECT_EQ(znTagWrite(h, "PLANT_Message", "x"), 0);
  int32_t record = 0;
  EXPECT_EQ(znFindFirst(h, "Tag", "*", &record, 0), 0);
  EXPECT_NE(znClose(h), 0);

  const int32_t fresh = OpenTo(server);
  EXPECT_GT(fresh, 0);
  EXPECT_TRUE(ReadTag(fresh, "LIT101").has_value());
  znClose(fresh);
}

TEST(Connect, SlowScriptBeyondTheRequestDeadlineFails) {
  ZnsimProcess server;
  const EnvOverride request("ZNAPI_TIMEOUT_MS", "2000");
  const int32_t h = OpenTo(server);
  ASSERT_GT(h, 0);
  EXPECT_TRUE(Zncode(h, "Sleep(10)").has_value());
  EXPECT_FALSE(Zncode(h, "Sleep(8000)").has_value());
  EXPECT_FALSE(Zncode(h, "Time(1)").has_value());
  znClose(h);
}

}  // namespace
}  // namespace znapi::testing
