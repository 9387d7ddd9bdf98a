// The period inputs: numbers as typed, dates, the period texts and their limits.
#include <gtest/gtest.h>

#include "NumberText.h"
#include "SampleCount.h"
#include "TimeRange.h"

namespace {

using ui::LocalDateTime;

TEST(TimeRangeLogic, DecimalTextsReadAsTheEngineerTypesThem) {
  struct Case {
    const char* text;
    std::optional<double> value;
  };
  const Case cases[] = {
      {"10", 10},   {"  10  ", 10}, {"-2.5", -2.5}, {"+3", 3},     {".5", 0.5},
      {"2.", 2},    {"0", 0},       {"", {}},       {"   ", {}},   {"abc", {}},
      {"1e3", {}},  {"1,5", {}},    {"- 2", {}},    {"2.5.1", {}}, {"\t2", {}},
      {"12 3", {}}, {".", {}},      {"-", {}},      {"007", 7},    {"99999999", 99999999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(app::ParseDecimal(QString::fromLatin1(c.text)), c.value);
  }
}

TEST(TimeRangeLogic, RoundingSendsHalvesToEvenAndKeepsTheLimits) {
  struct Case {
    double value;
    std::optional<std::int16_t> to16;
    std::optional<std::int32_t> to32;
  };
  const Case cases[] = {
      {2.5, 2, 2},
      {3.5, 4, 4},
      {-2.5, -2, -2},
      {0.5, 0, 0},
      {2.4999, 2, 2},
      {2.5001, 3, 3},
      {32767.4, 32767, 32767},
      {32767.5, {}, 32768},
      {-32768.5, -32768, -32768},
      {-32769, {}, -32769},
      {2147483647.5, {}, {}},
      {-2147483648.0, {}, INT32_MIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(app::RoundToInt16(c.value), c.to16);
    EXPECT_EQ(app::RoundToInt32(c.value), c.to32);
  }
}

TEST(TimeRangeLogic, EndTextsReadAsDayMonthYearWithAnOptionalTime) {
  struct Case {
    const char* text;
    std::optional<LocalDateTime> instant;
  };
  const Case cases[] = {
      {"04/05/2005 04:00:24", LocalDateTime{2005, 5, 4, 4, 0, 24}},
      {"4/5/2005", LocalDateTime{2005, 5, 4, 0, 0, 0}},
      {"4/5/2005 23:59", LocalDateTime{2005, 5, 4, 23, 59, 0}},
      {" 29/02/2024 7:05:09 ", LocalDateTime{2024, 2, 29, 7, 5, 9}},
      {"29/02/2023", {}},  // no such day
      {"31/04/2005", {}},
      {"04/13/2005", {}},           // month first is not this syntax
      {"04/05/2005 24:00:00", {}},  // 24-hour clock ends at 23:59:59
      {"04/05/2005 12:60", {}},
      {"04/05/05", {}},
      {"now()", {}},
      {" Now()", {}},
      {"", {}},
      {"04/05/2005 4pm", {}},
      {"01/01/0099", {}},  // before the first supported year
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(app::ParseDateTime(QString::fromLatin1(c.text)), c.instant);
  }
}

TEST(TimeRangeLogic, PeriodTextsHaveNineteenCharactersBothWays) {
  const LocalDateTime t{2005, 5, 4, 4, 0, 24};
  EXPECT_EQ(app::FormatPeriodText(t), "04/05/2005 04:00:24");
  EXPECT_EQ(app::FormatPeriodText({999, 1, 2, 3, 4, 5}), "02/01/0999 03:04:05");
  EXPECT_EQ(app::ParsePeriodText("04/05/2005 04:00:24"), t);
  EXPECT_EQ(app::ParsePeriodText("4/05/2005 04:00:24"), std::nullopt);
  EXPECT_EQ(app::ParsePeriodText("04/05/2005 04:00:24 "), std::nullopt);
}

TEST(TimeRangeLogic, DurationIsWholeUnitsTimesSecondsWithinThirtyTwoBits) {
  struct Case {
    const char* text;
    std::int32_t unit;
    std::optional<std::int32_t> seconds;
  };
  const Case cases[] = {
      {"10", 60, 600},       {"2.5", 60, 120},
      {"3.5", 60, 240},      {"0", 86400, 0},
      {"-1", 3600, -3600},   {"40000", 1, {}},  // beyond 16 bits
      {"32767", 1, 32767},   {"24855", 86400, 2147472000},
      {"24856", 86400, {}},  // beyond 32 bits of seconds
      {"-24856", 86400, {}}, {"ten", 60, {}},
      {"", 60, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(app::DurationSeconds(QString::fromLatin1(c.text), c.unit), c.seconds);
  }
}

TEST(TimeRangeLogic, StartLiesTheDurationBeforeTheEndAcrossCalendarBoundaries) {
  EXPECT_EQ(app::PeriodStart({2005, 5, 4, 4, 0, 24}, 600), (LocalDateTime{2005, 5, 4, 3, 50, 24}));
  EXPECT_EQ(app::PeriodStart({2024, 3, 1, 0, 0, 5}, 10), (LocalDateTime{2024, 2, 29, 23, 59, 55}));
  EXPECT_EQ(app::PeriodStart({2005, 5, 4, 4, 0, 24}, -60), (LocalDateTime{2005, 5, 4, 4, 1, 24}));
  EXPECT_EQ(app::PeriodStart({100, 1, 1, 0, 0, 0}, 1), std::nullopt);
  EXPECT_EQ(app::PeriodStart({9999, 12, 31, 23, 59, 59}, -1), std::nullopt);
}

TEST(TimeRangeLogic, SampleCountDividesThePeriodBySamplePeriodHalvesToEven) {
  struct Case {
    std::int32_t length;
    const char* period;
    std::optional<std::int32_t> count;
  };
  const Case cases[] = {
      {600, "2", 300},
      {600, "7", 86},
      {5, "2", 2},
      {15, "2", 8},
      {600, "2.5", 300},  // the period number is 2
      {600, "3.5", 150},  // and 4 here
      {600, " 2 ", 300},
      {-600, "2", -300},
      {600, "0", {}},
      {600, "0.4", {}},
      {600, "40000", {}},
      {600, "x", {}},
      {INT32_MAX, "1", INT32_MAX},
      {INT32_MIN, "-1", {}},  // the count passes 32 bits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + " / " + c.period);
    EXPECT_EQ(app::SampleCount(c.length, QString::fromLatin1(c.period)), c.count);
  }
}

TEST(TimeRangeLogic, PeriodLengthComesFromBothPeriodTexts) {
  EXPECT_EQ(app::PeriodLength("04/05/2005 03:50:24", "04/05/2005 04:00:24"), 600);
  EXPECT_EQ(app::PeriodLength("04/05/2005 04:00:24", "04/05/2005 03:50:24"), -600);
  EXPECT_EQ(app::PeriodLength("", "04/05/2005 04:00:24"), std::nullopt);
}

}  // namespace
