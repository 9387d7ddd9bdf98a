#include <gtest/gtest.h>

#include "TimeText.h"

namespace znsim {
namespace {

TEST(TimeText, RoundTripsLocalDatesAndTimes) {
  const auto t = ParseLocalDateTime("04/05/2005", "04:00:24");
  ASSERT_TRUE(t);
  EXPECT_EQ(FormatDate(*t), "04/05/2005");
  EXPECT_EQ(FormatTime(*t), "04:00:24");
  EXPECT_EQ(FormatTime(*t + 500, true), "04:00:24.500");
  const auto leap = ParseLocalDateTime("29/02/2024", "23:59:59");
  ASSERT_TRUE(leap);
  EXPECT_EQ(FormatDate(*leap + 1000), "01/03/2024");
}

TEST(TimeText, RefusesTextThatIsNoRealInstant) {
  const std::pair<const char*, const char*> bad[] = {
      {"31/02/2024", "00:00:00"}, {"29/02/2023", "00:00:00"},  {"00/01/2024", "00:00:00"},
      {"01/13/2024", "00:00:00"}, {"1/5/2005", "04:00:24"},    {"04-05-2005", "04:00:24"},
      {"04/05/2005", "24:00:00"}, {"04/05/2005", "12:60:00"},  {"04/05/2005", "12:00:60"},
      {"04/05/2005", "4:00:24"},  {"04/05/2005", "04:00:24x"}, {"", ""},
      {"aa/bb/cccc", "04:00:24"},
  };
  for (const auto& [date, time] : bad) {
    EXPECT_FALSE(ParseLocalDateTime(date, time)) << date << " " << time;
  }
}

}  // namespace
}  // namespace znsim
