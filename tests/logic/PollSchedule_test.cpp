// A poll at an interval after a stall: one late poll at once, the missed ones counted, and no
// two polls closer than the interval.
#include <gtest/gtest.h>

#include "PollSchedule.h"

namespace {

using namespace std::chrono_literals;
using logic::PollSchedule;

TEST(PollSchedule, AStallSkipsAndCountsTheMissedPollsInsteadOfABurst) {
  const PollSchedule::Clock::time_point t0{};
  struct Step {
    std::chrono::milliseconds started, ended;  // the poll that ran
    std::chrono::milliseconds next;
    std::int64_t skipped;
  };
  const Step steps[] = {
      {0ms, 300ms, 1000ms, 0},      // on time: the next one on the grid
      {1000ms, 2000ms, 2000ms, 0},  // it took all its interval
      {2000ms, 2010ms, 3000ms, 0},  // back on the grid
      {3000ms, 3001ms, 4000ms, 0},  // stopped while it waited for the next...
      {7300ms, 7310ms, 8300ms, 3},  // ...which ran 3.3 s late: 5000 to 7000 skipped
      {8300ms, 13400ms, 13400ms,
       7},  // a 5 s stall in a poll: 9300 runs now, 10300 to 13300 skipped
      {13400ms, 13500ms, 14400ms, 7},  // and the interval holds from the late poll on
  };
  PollSchedule schedule(t0, 1s);
  for (const auto& [started, ended, next, skipped] : steps) {
    EXPECT_EQ(schedule.Next(t0 + started, t0 + ended), t0 + next) << started.count();
    EXPECT_EQ(schedule.skipped(), skipped) << started.count();
  }
}

}  // namespace
