// The texts of values and instants: what a tag of each type stores, and dates and times.
#include <gtest/gtest.h>

#include <ctime>
#include <tuple>

#include "InTimeZone.h"
#include "TagType.h"
#include "TimeText.h"

namespace znsim {
namespace {

TEST(TagType, StoresOnlyWhatFitsTheType) {
  using T = TagType;
  const auto store = [](T type, const std::string& text) {
    return CanonicalValue(type, text).value_or("<refused>");
  };
  EXPECT_EQ(store(T::Digital, " 0 "), "0");
  EXPECT_EQ(store(T::Integer, "3.0"), "3");
  EXPECT_EQ(store(T::Integer, "2147483647"), "2147483647");
  EXPECT_EQ(store(T::Real, "+1e3"), "1000");
  EXPECT_EQ(store(T::Real, "-0"), "0");
  // String values are bounded by the characters a client buffer holds, whatever their UTF-8
  // bytes.
  EXPECT_EQ(store(T::String, std::string(kMaxStringValue, 'x')), std::string(kMaxStringValue, 'x'));
  std::string accents;
  for (std::size_t i = 0; i < kMaxStringValue; ++i) accents += "\u00e9";
  EXPECT_EQ(store(T::String, accents), accents);
  // Each refusal says why, as a client is told.
  const std::string tooLong = "the text is longer than 254 characters";
  const std::tuple<T, std::string, std::string> refused[] = {
      {T::Digital, "2", "'2' is not 0 or 1"},
      {T::Digital, "0.5", "'0.5' is not a whole number"},
      {T::Integer, "2147483648", "'2147483648' is out of range"},
      {T::Integer, "", "'' is not a number"},
      {T::Real, "nan", "'nan' is not a number"},
      {T::Real, std::string(50, '9') + "x", "'" + std::string(40, '9') + "...' is not a number"},
      {T::String, std::string(kMaxStringValue + 1, 'x'), tooLong},
      {T::String, accents + "x", tooLong}};
  for (const auto& [type, text, reason] : refused) {
    EXPECT_FALSE(CanonicalValue(type, text)) << TagTypeName(type) << " '" << text << "'";
    EXPECT_EQ(ValueRefusal(type, text), reason);
  }
}

TEST(TagType, FormatsSamplesWithSixDecimalsAndNumbersInFull) {
  EXPECT_EQ(FormatSample(60), "60.000000");
  EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(FormatNumber(3), "3");
}

TEST(TimeText, RefusesTextThatIsNoRealInstant) {
  const std::pair<const char*, const char*> bad[] = {
      {"31/02/2024", "00:00:00"}, {"29/02/2023", "00:00:00"},  {"01/13/2024", "00:00:00"},
      {"1/5/2005", "04:00:24"},   {"04/05/2005", "24:00:00"},  {"04/05/2005", "12:60:00"},
      {"04/05/2005", "12:00:60"}, {"04/05/2005", "04:00:24x"}, {"", ""}};
  for (const auto& [date, time] : bad) {
    EXPECT_FALSE(ParseLocalDateTime(date, time)) << date << " " << time;
  }
}

// The fast formatting must agree with the C library across daylight saving changes,
// including a zone that moves by half an hour.
TEST(TimeText, AgreesWithTheCLibraryAcrossClockChanges) {
  for (const char* zone : {"Europe/London", "Australia/Lord_Howe", "America/St_Johns"}) {
    const testing_support::InTimeZone inZone(zone);
    // Far-off years, so no hour is already cached from another zone.
    for (const Millis from : {1'932'000'000'000LL, 1'948'000'000'000LL}) {
      for (Millis t = from; t < from + 400LL * 86400 * 1000; t += 421'001) {
        const std::time_t seconds = t / 1000;
        std::tm tm{};
        ASSERT_TRUE(localtime_r(&seconds, &tm));
        char date[16], time[16];
        std::strftime(date, sizeof date, "%d/%m/%Y", &tm);
        std::strftime(time, sizeof time, "%H:%M:%S", &tm);
        ASSERT_EQ(FormatDate(t), date) << zone << " " << t;
        ASSERT_EQ(FormatTime(t), time) << zone << " " << t;
      }
    }
  }
}

}  // namespace
}  // namespace znsim
