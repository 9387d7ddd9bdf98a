// The time axis' ticks fall on round local times whatever the span, also on the day the
// clocks change and in a zone whose offset is not whole hours.
#include <gtest/gtest.h>

#include <QDateTime>

#include "InTimeZone.h"
#include "TimeTicks.h"

namespace {

using testing_support::InTimeZone;

double At(int y, int mo, int d, int h, int mi, int s = 0) {
  return static_cast<double>(QDateTime(QDate(y, mo, d), QTime(h, mi, s)).toMSecsSinceEpoch());
}

QStringList Labels(const std::vector<plot::TimeTick>& ticks) {
  QStringList labels;
  for (const auto& t : ticks) labels << t.label;
  return labels;
}

TEST(TimeTicks, FallOnRoundLocalTimesForEverySpan) {
  InTimeZone zone("Asia/Kathmandu");  // UTC+05:45: a tick on a round UTC time is no round time here
  struct Case {
    const char* what;
    double from, to;
    int most;
    QStringList labels;
  };
  const Case cases[] = {
      {"30 s at odd milliseconds: every 5 s",
       At(2026, 12, 8, 14, 4, 56) + 137,
       At(2026, 12, 8, 14, 5, 26) + 137,
       8,
       {"14:05:00", "14:05:05", "14:05:10", "14:05:15", "14:05:20", "14:05:25"}},
      {"2 h from an odd minute: every 15 min",
       At(2026, 12, 8, 13, 7, 19),
       At(2026, 12, 8, 15, 7, 19),
       8,
       {"13:15", "13:30", "13:45", "14:00", "14:15", "14:30", "14:45", "15:00"}},
      {"across midnight the date stands at 00:00",
       At(2026, 12, 8, 21, 40),
       At(2026, 12, 9, 3, 10),
       8,
       {"22:00", "23:00", "09/12", "01:00", "02:00", "03:00"}},
      {"3 days: twice a day",
       At(2026, 12, 8, 5, 0),
       At(2026, 12, 11, 5, 0),
       8,
       {"12:00", "09/12", "12:00", "10/12", "12:00", "11/12"}},
      {"a second: every 200 ms",
       At(2026, 12, 8, 14, 0, 0) + 50,
       At(2026, 12, 8, 14, 0, 1) + 50,
       8,
       {"14:00:00.200", "14:00:00.400", "14:00:00.600", "14:00:00.800", "14:00:01.000"}},
      {"two years: every six months",
       At(2025, 11, 20, 0, 0),
       At(2027, 11, 20, 0, 0),
       4,
       {"01/2026", "07/2026", "01/2027", "07/2027"}},
  };
  for (const Case& c : cases) {
    const auto ticks = plot::RoundTimeTicks(c.from, c.to, c.most);
    EXPECT_EQ(Labels(ticks), c.labels) << c.what;
    for (const auto& t : ticks) {
      EXPECT_GE(t.ms, c.from) << c.what;
      EXPECT_LE(t.ms, c.to) << c.what;
    }
  }
}

TEST(TimeTicks, SkipTheHourTheClocksLeaveOutAndRepeatNone) {
  InTimeZone zone("Europe/London");  // 29/03/2026 01:00 becomes 02:00
  const auto ticks = plot::RoundTimeTicks(At(2026, 3, 29, 0, 10), At(2026, 3, 29, 2, 50), 4);
  EXPECT_EQ(Labels(ticks), (QStringList{"00:30", "02:00", "02:30"}));
}

TEST(TimeTicks, AskForNoneOrAnEmptySpanAndGetNoneOrFew) {
  EXPECT_TRUE(plot::RoundTimeTicks(1e12, 1e12, 8).empty());
  EXPECT_LE(plot::RoundTimeTicks(1e12, 1e12 + 3'600'000, 0).size(), 3u);
}

}  // namespace
