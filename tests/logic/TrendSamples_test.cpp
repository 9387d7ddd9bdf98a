// The samples a trend request keeps for plotting: value and quality read from the value text,
// times read as local times, order, and what a sample costs.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimeZone>
#include <cmath>

#include "InTimeZone.h"
#include "TrendSamples.h"

namespace {

TEST(TrendSamples, ValueTextGivesTheValueOrMarksTheSampleBad) {
  const double bad = NAN;
  const std::tuple<const char*, double, const char*> cases[] = {
      {"60.000000      ", 60, ""},
      {"  -1.5e3", -1500, ""},
      {"+.5", 0.5, ""},
      {"12.5 Uncertain", 12.5, "Uncertain"},
      {"12.5   bad: comms lost", bad, "bad: comms lost"},
      {"BAD", bad, "BAD"},
      {"#COMMS", bad, "#COMMS"},
      {"12.5kg", bad, "12.5kg"},
      {"1e999", bad, "1e999"},
      {"", bad, ""},
  };
  for (const auto& [text, value, quality] : cases) {
    SCOPED_TRACE(text);
    const logic::SampleValue read = logic::ReadSampleValue(QString::fromUtf8(text));
    if (std::isnan(value))
      EXPECT_TRUE(std::isnan(read.value)) << read.value;
    else
      EXPECT_EQ(read.value, value);
    EXPECT_EQ(read.quality.toStdString(), quality);
  }
}

// In London the clocks skip from 01:00 to 02:00 on 31 March 2024 and go back from 02:00 to
// 01:00 on 27 October 2024; on 4 May 2005 they are an hour ahead of UTC.
TEST(TrendSamples, DateAndTimeReadAsALocalInstantAcrossTheClockChanges) {
  testing_support::InTimeZone zone("Europe/London");
  const auto utc = [](int year, int month, int day, int hour, int minute, int second = 0,
                      int ms = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms), QTimeZone::utc())
        .toMSecsSinceEpoch();
  };
  const std::tuple<const char*, const char*, std::optional<qint64>> cases[] = {
      {"4/05/2005   ", "04:00:24", utc(2005, 5, 4, 3, 0, 24)},
      {"04/5/2005", "4:00:24.5", utc(2005, 5, 4, 3, 0, 24, 500)},
      {"04/05/2005", "04:00:24.123456", utc(2005, 5, 4, 3, 0, 24, 123)},
      {"31/02/2005", "04:00:24", std::nullopt},
      {"04/05/2005", "24:00:00", std::nullopt},
      {"04/05/2005", "04:00", std::nullopt},
      {"04/05/2005", "04:00:24.", std::nullopt},
      {"2005-05-04", "04:00:24", std::nullopt},
      {"31/03/2024", "00:30:00", utc(2024, 3, 31, 0, 30)},
      {"31/03/2024", "01:30:00", std::nullopt},  // skipped
      {"31/03/2024", "02:30:00", utc(2024, 3, 31, 1, 30)},
      {"30/06/2024", "12:00:00", utc(2024, 6, 30, 11, 0)},
      {"27/10/2024", "00:30:00", utc(2024, 10, 26, 23, 30)},
      {"27/10/2024", "02:30:00", utc(2024, 10, 27, 2, 30)},
  };
  logic::SampleClock clock;
  for (const auto& [date, time, ms] : cases) {
    SCOPED_TRACE(std::string(date) + " " + time);
    EXPECT_EQ(clock.Read(QString(date), QString(time)), ms);
  }
}

TEST(TrendSamples, KeepsTimeOrderQualityAndSixteenBytesASample) {
  logic::TrendSamples s("T", "04/05/2005 04:00:00", "04/05/2005 04:01:00");
  s.Add(u"04/05/2005", u"04:00:30", u"3 Uncertain");
  s.Add(u"04/05/2005", u"04:00:10", u"1");
  s.Add(u"04/05/2005", u"04:00:20", u"Bad");
  s.Add(u"??", u"04:00:40", u"4");
  s.Add(u"04/05/2005", u"04:00:20", u"2");  // the clocks went back: the same local time again
  s.Finish();
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s.UnreadableRows(), 1u);
  std::vector<double> seconds;
  for (std::size_t i = 0; i < s.size(); ++i) seconds.push_back(std::fmod(s.TimeMs(i) / 1000, 60));
  EXPECT_EQ(seconds, (std::vector<double>{10, 20, 20, 30}));
  EXPECT_TRUE(s.Bad(1)) << "equal times keep the order they came in";
  EXPECT_EQ(s.Value(2), 2);
  EXPECT_EQ(s.Quality(3), "Uncertain");
  EXPECT_EQ(s.SampleBytes(), 16 * s.size());
}

}  // namespace
