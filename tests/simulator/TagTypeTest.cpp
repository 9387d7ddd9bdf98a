#include "TagType.h"

#include <gtest/gtest.h>

namespace znsim {
namespace {

TEST(TagType, StoresOnlyWhatFitsTheType) {
  using T = TagType;
  const auto store = [](T type, const std::string& text) {
    return CanonicalValue(type, text).value_or("<refused>");
  };
  EXPECT_EQ(store(T::Digital, "1"), "1");
  EXPECT_EQ(store(T::Digital, " 0 "), "0");
  EXPECT_EQ(store(T::Integer, "-7"), "-7");
  EXPECT_EQ(store(T::Integer, "3.0"), "3");
  EXPECT_EQ(store(T::Integer, "2147483647"), "2147483647");
  EXPECT_EQ(store(T::Real, "12.5"), "12.5");
  EXPECT_EQ(store(T::Real, "+1e3"), "1000");
  EXPECT_EQ(store(T::Real, "-0"), "0");
  EXPECT_EQ(store(T::String, ""), "");
  EXPECT_EQ(store(T::String, "Filter 4 in service"), "Filter 4 in service");
  // String values are bounded by what a client buffer holds.
  EXPECT_EQ(store(T::String, std::string(kMaxStringValue, 'x')), std::string(kMaxStringValue, 'x'));
  const std::pair<T, std::vector<std::string>> refused[] = {
      {T::Digital, {"2", "-1", "0.5", "on"}},
      {T::Integer, {"3.5", "2147483648", "", "12abc"}},
      {T::Real, {"abc", "nan", "inf", "1e999", ""}},
      {T::String, {std::string(kMaxStringValue + 1, 'x')}}};
  for (const auto& [type, texts] : refused) {
    for (const auto& text : texts)
      EXPECT_FALSE(CanonicalValue(type, text)) << TagTypeName(type) << " '" << text << "'";
  }
}

TEST(TagType, FormatsSamplesWithSixDecimalsAndNumbersInFull) {
  EXPECT_EQ(FormatSample(60), "60.000000");
  EXPECT_EQ(FormatSample(-0.25), "-0.250000");
  EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(FormatNumber(3), "3");
}

}  // namespace
}  // namespace znsim
