// The reason behind each failed call, as znLastError gives it: the library's own faults and
// the server's refusals, per thread, in Windows-1252, and gone after a success.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "HeldPort.h"
#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using testing_support::ZnsimProcess;

TEST(LastError, OpeningNamesWhatStoodInTheWay) {
  ZnsimProcess server;
  const testing_support::HeldPort closed;
  const std::string refused = closed.address();
  EXPECT_EQ(znOpen(refused.c_str(), kUser, kPassword, 0), 0);
  EXPECT_EQ(LastError(), "connection refused by " + refused);

  EXPECT_EQ(OpenTo(server, "Wrong-Secret"), 0);
  const std::string refusal = LastError();
  EXPECT_EQ(refusal.rfind("login refused for user 'Engineer'", 0), 0u) << refusal;
  EXPECT_EQ(refusal.find("Wrong-Secret"), std::string::npos) << "never a password";

  EXPECT_EQ(znOpen(nullptr, kUser, kPassword, 0), 0);
  EXPECT_EQ(znOpen(server.address().c_str(), nullptr, kPassword, 0), 0);
  EXPECT_EQ(znOpen(server.address().c_str(), kUser, nullptr, 0), 0);
  EXPECT_EQ(znOpen("host:port", kUser, kPassword, 0), 0);
  EXPECT_EQ(LastError(),
            "'host:port' is not a computer name (host, host:port or [v6]:port, each optionally "
            "after tls:// or plain://)");

  setenv("ZNAPI_CONNECT_TIMEOUT_MS", "1000", 1);  // read at each open
  EXPECT_EQ(znOpen("no-such-host.invalid", kUser, kPassword, 0), 0);
  EXPECT_EQ(LastError().rfind("name 'no-such-host.invalid' not resolved", 0), 0u);
  server.pause();  // the kernel still accepts the connection; the login is never answered
  EXPECT_EQ(OpenTo(server), 0);
  server.resume();
  unsetenv("ZNAPI_CONNECT_TIMEOUT_MS");
  EXPECT_EQ(LastError(), "no answer from " + server.address() + " within 1 s");

  const int32_t h = OpenTo(server);
  EXPECT_GT(h, 0);
  EXPECT_EQ(LastError(), "") << "a success leaves no reason";
  znClose(h);
}

using LastErrorConnected = Connected;

TEST_F(LastErrorConnected, CallsGiveTheServersAndTheLibrarysFacts) {
  int32_t record = 0;
  const int32_t search = znFindFirst(h_, "Tag", "*", &record, 0);
  ASSERT_NE(search, 0);
  znFindClose(search);
  const std::string searchText = std::to_string(search);
  const int32_t list = znListNew(h_, 0);
  const int32_t item = znListAdd(list, "NOPE_TAG");
  char buffer[256];

  const std::pair<std::function<int32_t()>, std::string> cases[] = {
      {[&] { return znTagRead(h_, "NOPE_TAG", buffer, 256); }, "unknown tag 'NOPE_TAG'"},
      {[&] { return znTagWrite(h_, "LIT101", "abc"); },
       "'abc' is not a number (tag LIT101 is Real)"},
      {[&] { return znZncode(h_, "TagRead(\"LIT101\"", 0, 0, buffer, 256, 0); },
       "syntax error at character 16 of 'TagRead(\"LIT101\"': ',' or ')' was expected"},
      {[&] { return znFindNext(search, &record); }, "search " + searchText + " is closed"},
      {[&] { return znFindNext(h_, &record); },
       "handle " + std::to_string(h_) + " is a connection, not a search"},
      {[&] { return znGetProperty(record, "Name", buffer, 256, nullptr, ZNAPI_TYPE_TEXT); },
       "record " + std::to_string(record) + " is closed"},
      {[&] { return znListData(item, buffer, 256, 0); }, "the list has not been read yet"},
      {[&] {
         znListRead(list, 0);
         return znListData(item, buffer, 256, 0);
       },
       "the server could not read tag 'NOPE_TAG'"},
      {[&] { return znTagRead(h_, "LIT101", buffer, 0); },
       "buffer length 0 leaves no room for a result"},
      // Text goes out in the caller's code page.
      {[&] { return znTagRead(h_, "NOPE_\xC4", buffer, 256); }, "unknown tag 'NOPE_\xC4'"},
  };
  for (const auto& [call, reason] : cases) {
    EXPECT_EQ(call(), 0) << reason;
    EXPECT_EQ(LastError(), reason);
    EXPECT_EQ(LastError(), reason) << "reading the reason keeps it";
  }
  ASSERT_TRUE(ReadTag(h_, "LIT101").has_value());
  EXPECT_EQ(LastError(), "");
  char small[4];
  EXPECT_EQ(znTagRead(h_, "NOPE_TAG", buffer, 256), 0);
  EXPECT_EQ(znLastError(small, sizeof small), 1);
  EXPECT_STREQ(small, "unk") << "cut like every other result";
  EXPECT_EQ(znLastError(small, 0), 0);
  znListFree(list);
}

// The threads take turns, so that each reads its reason after the other failed in between:
// a reason shared by all threads would be the other's every time.
TEST_F(LastErrorConnected, EachThreadReadsItsOwnReason) {
  int32_t record = 0;
  const int32_t search = znFindFirst(h_, "Tag", "*", &record, 0);
  znFindClose(search);
  const auto fail = [&](int which) {
    char buffer[256];
    return which == 0 ? znTagRead(h_, "NOPE_A", buffer, 256) : znFindNext(search, &record);
  };
  const std::string expected[] = {"unknown tag 'NOPE_A'",
                                  "search " + std::to_string(search) + " is closed"};
  std::mutex mutex;
  std::condition_variable turned;
  int turn = 0;  // 0: thread 0 fails, 1: thread 1 fails, 2: thread 0 reads, 3: thread 1 reads
  const auto takeTurn = [&](int mine, const std::function<void()>& step) {
    std::unique_lock lock(mutex);
    turned.wait(lock, [&] { return turn == mine; });
    step();
    turn = (turn + 1) % 4;
    turned.notify_all();
  };
  std::string read[2][3];
  std::vector<std::thread> threads;
  for (int which = 0; which < 2; ++which) {
    threads.emplace_back([&, which] {
      for (int round = 0; round < 3; ++round) {
        takeTurn(which, [&] { fail(which); });
        takeTurn(2 + which, [&] { read[which][round] = LastError(); });
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int which = 0; which < 2; ++which)
    for (const auto& reason : read[which]) EXPECT_EQ(reason, expected[which]);
}

}  // namespace
}  // namespace znapi::testing
