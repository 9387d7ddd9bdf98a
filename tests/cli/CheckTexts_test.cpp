// The texts zncheck reads from its command line and files and writes beside its rows.
#include <gtest/gtest.h>

#include "CheckStatus.h"  // UsageError
#include "CheckTexts.h"

namespace {

using namespace std::chrono_literals;
using zncheck::ParseDuration;

TEST(CheckTexts, DurationsTakeAUnitOrSeconds) {
  const std::pair<const char*, std::optional<std::chrono::milliseconds>> cases[] = {
      {"500ms", 500ms}, {"2s", 2s},     {"10m", 10min}, {"1.5h", 90min}, {"1d", 24h},
      {"3", 3s},        {"0.5", 500ms}, {"0s", {}},     {"-1m", {}},     {"10 m", {}},
      {"m", {}},        {"1w", {}},     {"", {}},       {"400d", {}},  // beyond a year
  };
  for (const auto& [text, duration] : cases) EXPECT_EQ(ParseDuration(text), duration) << text;
}

TEST(CheckTexts, ServerDatesAndTimesBecomeIso8601AndOtherTextsStay) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"04/05/2005", "13:07:09", "2005-05-04T13:07:09"},
      {"04/05/2005", "13:07:09.250", "2005-05-04T13:07:09.250"},
      {"", "", ""},                             // an alarm that is still on has no off time
      {"4/5/2005", "13:07", "4/5/2005 13:07"},  // another form is kept, not guessed at
      {"04/05/2005", "13:07:09.", "04/05/2005 13:07:09."},
  };
  for (const auto& [date, time, iso] : cases) EXPECT_EQ(zncheck::IsoTimestamp(date, time), iso);
}

TEST(CheckTexts, CsvRecordsFollowRfc4180) {
  using Records = std::vector<std::vector<std::string>>;
  EXPECT_EQ(zncheck::ReadCsv("tag,value\r\nT1,12.5\nT2,\"a, \"\"b\"\"\r\nc\"\n\nT3,\r\n"),
            (Records{{"tag", "value"}, {"T1", "12.5"}, {"T2", "a, \"b\"\r\nc"}, {"T3", ""}}));
  EXPECT_EQ(zncheck::ReadCsv("T1,5"), (Records{{"T1", "5"}}));  // no line end after the last
}

TEST(CheckTexts, PrintableEscapesEveryControlCharacterAndNothingElse) {
  EXPECT_EQ(zncheck::Printable("a\x1b]0;t\x07\tb\x7f\r\n"), "a\\x1b]0;t\\x07\\x09b\\x7f\\x0d\\x0a");
  // C1 controls (CSI among them) as UTF-8; the characters after them stay.
  EXPECT_EQ(zncheck::Printable("\xC2\x9B"
                               "2J \xC2\xA0 \xE2\x82\xAC C:\\x"),
            "\\u009b2J \xC2\xA0 \xE2\x82\xAC C:\\x");
}

TEST(CheckTexts, WindowsTextRoundTripsThroughUtf8AndOtherTextIsRefused) {
  const std::string ansi = "\x80 caf\xE9 \x93q\x94";
  EXPECT_EQ(zncheck::Utf8FromAnsi(ansi), "€ café “q”");
  EXPECT_EQ(zncheck::AnsiFromUtf8("€ café “q”"), ansi);
  try {
    zncheck::AnsiFromUtf8("日本?");
    ADD_FAILURE() << "text the code page lacks must not be sent as '?'";
  } catch (const zncheck::UsageError& e) {
    EXPECT_STREQ(e.what(),
                 "日 (U+65E5), 本 (U+672C) cannot be sent: the library carries Windows-1252 text");
  }
}

}  // namespace
