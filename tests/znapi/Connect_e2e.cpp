// Opening and losing connections to a real znsim: computer names, credentials, a stopped
// server, and the rule that a broken connection stays broken.
#include <gtest/gtest.h>

#include <chrono>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using testing_support::ZnsimProcess;
using namespace std::chrono_literals;

TEST(Connect, OnlyWellFormedNamesAndGoodCredentialsConnect) {
  ZnsimProcess server;
  const std::string port = std::to_string(server.port());
  for (const std::string& name : {"127.0.0.1:" + port, "localhost:" + port, " 127.0.0.1:" + port}) {
    const int32_t h = znOpen(name.c_str(), kUser, kPassword, 0);
    EXPECT_GT(h, 0) << name;
    EXPECT_NE(znClose(h), 0) << name;
  }
  EXPECT_EQ(znOpen(("127.0.0.1:" + port + "x").c_str(), kUser, kPassword, 0), 0);
  EXPECT_EQ(OpenTo(server, "marlow"), 0);
  EXPECT_EQ(OpenTo(server, ""), 0);
  EXPECT_EQ(znOpen(server.address().c_str(), "Nobody", kPassword, 0), 0);
  EXPECT_EQ(znOpen(nullptr, kUser, kPassword, 0), 0);
  EXPECT_EQ(znOpen(server.address().c_str(), nullptr, kPassword, 0), 0);
  EXPECT_EQ(znOpen(server.address().c_str(), kUser, nullptr, 0), 0);
}

TEST(Connect, StoppedServerFailsTheRequestAndTheConnectionStaysBroken) {
  ZnsimProcess server;
  const EnvOverride request("ZNAPI_TIMEOUT_MS", "2000");
  const int32_t h = OpenTo(server);
  ASSERT_GT(h, 0);
  const int32_t list = znListNew(h, 0);
  const int32_t item = znListAdd(list, "LIT101");
  ASSERT_NE(znListRead(list, 0), 0);

  server.pause();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ReadTag(h, "LIT101").has_value());
  EXPECT_GE(std::chrono::steady_clock::now() - start, 1900ms) << "gave up before the deadline";
  server.resume();

  // The server answers again, but this connection may hold a late reply: it stays failed.
  EXPECT_FALSE(ReadTag(h, "LIT101").has_value());
  EXPECT_FALSE(Zncode(h, "Time(1)").has_value());
  EXPECT_EQ(znTagWrite(h, "PLANT_Message", "x"), 0);
  int32_t record = 0;
  EXPECT_EQ(znFindFirst(h, "Tag", "*", &record, 0), 0);
  EXPECT_EQ(znListRead(list, 0), 0);
  EXPECT_FALSE(ListData(item).has_value()) << "a value from before the failure is not current";
  EXPECT_NE(znClose(h), 0);

  const int32_t fresh = OpenTo(server);
  EXPECT_TRUE(ReadTag(fresh, "LIT101").has_value());
  znClose(fresh);
}

}  // namespace
}  // namespace znapi::testing
