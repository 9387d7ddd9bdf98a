// Several threads on one library: calls on a shared connection must not interleave their
// frames, and closing a connection under busy threads must fail their calls, not crash them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using Threads = Connected;

TEST_F(Threads, SharedConnectionServesEveryThreadItsOwnAnswers) {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 100; ++i) {
        // Each thread asks something whose answer only it expects.
        if (t % 2 == 0) {
          if (ReadTag(h_, "SHIFT_Operator") != "J. Okafor") ++wrong;
        } else {
          if (Zncode(h_, "TagRead(\"SHIFT_Supervisor\")") != "R. Lindqvist") ++wrong;
        }
        int32_t record = 0;
        const int32_t search = znFindFirst(h_, "Shifts", "*", &record, 0);
        if (search == 0 || Property(record, "Shift") != "Early") ++wrong;
        znFindClose(search);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
}

TEST_F(Threads, ClosingUnderBusyThreadsFailsTheirCallsSafely) {
  const int32_t h = OpenTo(server_);
  ASSERT_GT(h, 0);
  const int32_t list = znListNew(h, 0);
  const int32_t item = znListAdd(list, "LIT101");
  std::atomic<bool> closed{false};
  std::atomic<int> succeededAfterClose{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 300; ++i) {
        const bool wasClosed = closed;
        char value[64];
        int32_t record = 0;
        const int32_t search = znFindFirst(h, "Tag", "*", &record, 0);
        znGetProperty(record, "Tag", value, sizeof value, nullptr, ZNAPI_TYPE_TEXT);
        znFindNext(search, &record);
        znFindClose(search);
        znListRead(list, 0);
        znListData(item, value, sizeof value, 0);
        if (znTagRead(h, "LIT101", value, sizeof value) != 0 && wasClosed) ++succeededAfterClose;
      }
    });
  }
  std::this_thread::yield();
  EXPECT_NE(znClose(h), 0);
  closed = true;
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(succeededAfterClose, 0);
  EXPECT_EQ(znListFree(list), 0) << "the list went with its connection";
  EXPECT_FALSE(ListData(item).has_value());
}

}  // namespace
}  // namespace znapi::testing
