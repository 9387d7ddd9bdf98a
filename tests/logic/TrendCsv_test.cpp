// The file layouts that the window and zncheck share: times a reader cannot misread, a header
// that says what the values are, a name that says which request.
#include <gtest/gtest.h>

#include <string>

#include "InTimeZone.h"
#include "RecordCsv.h"
#include "TrendCsv.h"

namespace {

// The server's times are on this computer's clock: the offset written is the one of that day,
// summer time included.
TEST(TrendCsv, ServerTimesBecomeIso8601WithTheirOffsetAndOtherTextsStay) {
  testing_support::InTimeZone zone("Europe/Berlin");
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"04/05/2005", "13:07:09", "2005-05-04T13:07:09+02:00"},
      {"04/12/2005", "13:07:09.25", "2005-12-04T13:07:09.250+01:00"},
      {"", "", ""},                             // an alarm that is still on has no off time
      {"4/5/2005", "13:07", "4/5/2005 13:07"},  // another form is kept, not guessed at
      {"04/05/2005", "13:07:09.", "04/05/2005 13:07:09."},
      {"31/02/2005", "13:07:09", "31/02/2005 13:07:09"},
  };
  for (const auto& [date, time, iso] : cases)
    EXPECT_EQ(logic::IsoFromServer(QString(date), QString(time)), iso) << date << ' ' << time;
  EXPECT_EQ(logic::IsoFromServer(u"04/12/2005", u"00:30:00", true), "2005-12-03T23:30:00Z");
}

TEST(TrendCsv, HeaderNamesTheTrendWithItsUnitAndTheFileTheRequest) {
  EXPECT_EQ(logic::TrendCsvHeader("TREND1", " m "), (QStringList{"time", "TREND1 (m)"}));
  EXPECT_EQ(logic::TrendCsvHeader("TREND1", ""), (QStringList{"time", "TREND1"}));
  EXPECT_EQ(logic::RequestFileName("TREND1", "08/12/2026 14:50:59"), "TREND1 2026-12-08 1450.csv");
  EXPECT_EQ(logic::RequestFileName("A/B", "now"), "A_B.csv");
}

}  // namespace
