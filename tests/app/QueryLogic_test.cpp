// The value rule on library buffers, the query texts and the device field count.
#include <gtest/gtest.h>

#include <string>

#include "DeviceFieldCount.h"
#include "QueryText.h"
#include "ValueRule.h"

namespace {

using app::ValueRule;

// A 32-byte field buffer as the library leaves it: the bytes written, then NULs.
std::string Buffer(const std::string& written) {
  std::string b(app::kFieldBufferLength, '\0');
  b.replace(0, std::min(written.size(), b.size()), written.substr(0, b.size()));
  return b;
}

TEST(QueryLogic, ValueRuleTrimsOnlyWhatStandsOutsideTheLibrarysText) {
  struct Case {
    std::string buffer;
    std::string trimmed;
    std::string untrimmed;
  };
  const std::string full = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012   ";  // 32 bytes, no NUL
  const Case cases[] = {
      {Buffer("60.000000      "), "60.000000      ", "60.000000      "},
      {Buffer(std::string("  LOW  ") + '\0'), "LOW  ", "  LOW  "},
      {Buffer(""), "", ""},  // a field the library did not supply
      {full, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012", full},
      {std::string(32, ' '), "", "                                "},
      {Buffer("\tTAB\t"), "\tTAB\t", "\tTAB\t"},  // only blanks are trimmed
      {Buffer(std::string("A\0B", 3)), "A", "A"},
      {"   " + std::string(29, 'x'), std::string(29, 'x'), "   " + std::string(29, 'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.buffer);
    ASSERT_EQ(c.buffer.size(), app::kFieldBufferLength);
    EXPECT_EQ(app::FieldValue(c.buffer.data(), c.buffer.size(), ValueRule::Trimmed),
              QString::fromStdString(c.trimmed));
    EXPECT_EQ(app::FieldValue(c.buffer.data(), c.buffer.size(), ValueRule::Untrimmed),
              QString::fromStdString(c.untrimmed));
  }
}

TEST(QueryLogic, ValueRuleKeepsEightBitCharacters) {
  const std::string b = Buffer(
      "\xB0"
      "C");
  EXPECT_EQ(app::FieldValue(b.data(), b.size(), ValueRule::Trimmed), QString::fromLatin1("\xB0"
                                                                                         "C"));
}

TEST(QueryLogic, QueryTextsFollowTheServersSyntax) {
  EXPECT_EQ(app::ActiveAlarmsQuery(), "ZNAPIAlarm(0, 0, 0)");
  EXPECT_EQ(app::AlarmSummaryQuery("04/05/2005 03:50:24", "04/05/2005 04:00:24"),
            "ZNAPIAlarmSummary(\"04/05/2005\",\"03:50:24\",\"04/05/2005\",\"04:00:24\", 0, -1)");
  EXPECT_EQ(app::TrendQuery("04/05/2005 04:00:24", "2", 300, "TREND1"),
            "ZNAPITrend(\"04:00:24\",\"04/05/2005\",2, 300, 0, TREND1)");
  EXPECT_EQ(app::TrendQuery("04/05/2005 04:00:24", " 2.5 ", -12, "A B"),
            "ZNAPITrend(\"04:00:24\",\"04/05/2005\", 2.5 , -12, 0, A B)");
}

TEST(QueryLogic, DeviceFieldCountAcceptsWholeNumbersUpToSixteenBits) {
  struct Case {
    const char* text;
    bool ok;
    std::int16_t value;
  };
  const Case cases[] = {
      {"3", true, 3},  {" 3 ", true, 3},       {"0", true, 0},      {"2.5", true, 2},
      {"-4", true, 0}, {"32767", true, 32767}, {"32768", false, 0}, {"99999999999", false, 0},
      {"", false, 0},  {"three", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const app::DeviceFieldCount count = app::ReadDeviceFieldCount(QString::fromLatin1(c.text));
    EXPECT_EQ(count.ok(), c.ok);
    if (c.ok)
      EXPECT_EQ(count.value, c.value);
    else
      EXPECT_FALSE(count.failure.isEmpty());
  }
}

}  // namespace
