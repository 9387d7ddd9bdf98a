// Losing a connection to a real znsim: a stopped server, and the rule that a broken connection
// stays broken.
#include <gtest/gtest.h>

#include <chrono>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using testing_support::ZnsimProcess;
using namespace std::chrono_literals;

TEST(Connect, StoppedServerFailsTheRequestAndTheConnectionStaysBroken) {
  ZnsimProcess server;
  const int32_t h = OpenImpatient(server);
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
  // Every call goes through the one connection rule, seen in full in the ServerConnection tests.
  EXPECT_FALSE(ReadTag(h, "LIT101").has_value());
  EXPECT_EQ(znListRead(list, 0), 0);
  EXPECT_FALSE(ListData(item).has_value()) << "a value from before the failure is not current";
  EXPECT_NE(znClose(h), 0);

  const int32_t fresh = OpenTo(server);
  EXPECT_TRUE(ReadTag(fresh, "LIT101").has_value());
  znClose(fresh);
}

}  // namespace
}  // namespace znapi::testing
