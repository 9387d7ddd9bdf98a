// Several threads on one connection: calls must not interleave their frames, and closing the
// connection under busy threads must fail their later calls, not crash them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using Threads = Connected;

TEST_F(Threads, EachCallGetsItsOwnAnswerAndClosingUnderBusyThreadsIsSafe) {
  const int32_t list = znListNew(h_, 0);
  const int32_t item = znListAdd(list, "LIT101");
  std::atomic<bool> closed{false};
  std::atomic<int> answered{0}, finished{0}, wrong{0}, succeededAfterClose{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        const bool wasClosed = closed;
        // Each thread asks something whose answer only it expects.
        const auto value =
            t % 2 ? Zncode(h_, "TagRead(\"SHIFT_Supervisor\")") : ReadTag(h_, "SHIFT_Operator");
        if (value && *value != (t % 2 ? "R. Lindqvist" : "J. Okafor")) ++wrong;
        if (value && wasClosed) ++succeededAfterClose;
        if (value) ++answered;
        int32_t record = 0;
        const int32_t search = znFindFirst(h_, "Shifts", "*", &record, 0);
        const auto shift = Property(record, "Shift");
        if (shift && *shift != "Early") ++wrong;
        znFindNext(search, &record);
        znFindClose(search);
        znListRead(list, 0);
        ListData(item);
      }
      ++finished;
    });
  }
  while (answered < 200 && finished < 4) std::this_thread::yield();
  EXPECT_NE(znClose(h_), 0);
  closed = true;
  for (auto& thread : threads) thread.join();
  EXPECT_GE(answered, 200);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(succeededAfterClose, 0);
  EXPECT_EQ(znListFree(list), 0) << "the list went with its connection";
  EXPECT_FALSE(ListData(item).has_value());
}

}  // namespace
}  // namespace znapi::testing
