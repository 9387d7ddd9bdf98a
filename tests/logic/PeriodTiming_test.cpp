// The period inputs: numbers as typed, dates, the period texts and their limits.
#include <gtest/gtest.h>

#include "PeriodTiming.h"
#include "TextValues.h"

namespace {

using ui::LocalDateTime;

TEST(TimeRangeLogic, DecimalTextsReadAsTheEngineerTypesThem) {
  const std::pair<const char*, std::optional<double>> cases[] = {
      {"  10  ", 10}, {"-2.5", -2.5}, {"+3", 3},   {".5", 0.5}, {"2.", 2},   {"007", 7},
      {"", {}},       {"1e3", {}},    {"1,5", {}}, {"- 2", {}}, {"\t2", {}}, {".", {}},
  };
  for (const auto& [text, value] : cases)
    EXPECT_EQ(logic::ParseDecimal(QString::fromLatin1(text)), value) << text;
}

TEST(TimeRangeLogic, EndTextsReadAsDayMonthYearWithAnOptionalTime) {
  const std::pair<const char*, std::optional<LocalDateTime>> cases[] = {
      {"04/05/2005 04:00:24", LocalDateTime{2005, 5, 4, 4, 0, 24}},
      {"4/5/2005", LocalDateTime{2005, 5, 4, 0, 0, 0}},
      {"4/5/2005 23:59", LocalDateTime{2005, 5, 4, 23, 59, 0}},
      {" 29/02/2024 7:05:09 ", LocalDateTime{2024, 2, 29, 7, 5, 9}},
      {"29/02/2023", {}},           // no such day
      {"04/13/2005", {}},           // month first is not this syntax
      {"04/05/2005 24:00:00", {}},  // 24-hour clock ends at 23:59:59
      {"04/05/05", {}},
      {"01/01/0099", {}},  // before the first supported year
  };
  for (const auto& [text, instant] : cases)
    EXPECT_EQ(logic::ParseDateTime(QString::fromLatin1(text)), instant) << text;
}

TEST(TimeRangeLogic, DurationIsUnitsRoundedHalvesToEvenTimesSecondsWithinThirtyTwoBits) {
  struct Case {
    const char* text;
    std::int32_t unit;
    std::optional<std::int32_t> seconds;
  };
  const Case cases[] = {
      {"2.5", 60, 120},     {"3.5", 60, 240},   {"-2.5", 60, -120},
      {"32767", 1, 32767},  {"32767.5", 1, {}}, {"-32768.5", 1, -32768},
      {"-32769", 1, {}},    {"ten", 60, {}},    {"24855", 86400, 2147472000},
      {"24856", 86400, {}},  // beyond 32 bits of seconds
  };
  for (const Case& c : cases)
    EXPECT_EQ(logic::DurationSeconds(QString::fromLatin1(c.text), c.unit), c.seconds) << c.text;
}

TEST(TimeRangeLogic, StartLiesTheDurationBeforeTheEndAcrossCalendarBoundaries) {
  EXPECT_EQ(logic::PeriodStart({2024, 3, 1, 0, 0, 5}, 10),
            (LocalDateTime{2024, 2, 29, 23, 59, 55}));
  EXPECT_EQ(logic::PeriodStart({2005, 5, 4, 4, 0, 24}, -60), (LocalDateTime{2005, 5, 4, 4, 1, 24}));
  EXPECT_EQ(logic::PeriodStart({100, 1, 1, 0, 0, 0}, 1), std::nullopt);
  EXPECT_EQ(logic::PeriodStart({9999, 12, 31, 23, 59, 59}, -1), std::nullopt);
}

TEST(TimeRangeLogic, SampleCountDividesThePeriodBySamplePeriodHalvesToEven) {
  struct Case {
    std::int32_t length;
    const char* period;
    std::optional<std::int32_t> count;
  };
  const Case cases[] = {
      {600, "7", 86},     {5, "2", 2},
      {15, "2", 8},       {600, "3.5", 150},  // the period number is 4
      {-600, "2", -300},  {600, "0.4", {}},
      {600, "40000", {}}, {INT32_MIN, "-1", {}},  // the count passes 32 bits
  };
  for (const Case& c : cases)
    EXPECT_EQ(logic::SampleCount(c.length, QString::fromLatin1(c.period)), c.count)
        << c.length << " / " << c.period;
}

}  // namespace
