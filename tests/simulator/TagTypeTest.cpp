#include <gtest/gtest.h>

#include "TagType.h"

namespace znsim {
namespace {

struct ValueCase {
  TagType type;
  const char* text;
  const char* stored;  // nullptr: refused
};

TEST(TagType, StoresOnlyWhatFitsTheType) {
  const ValueCase cases[] = {
      {TagType::Digital, "1", "1"},
      {TagType::Digital, " 0 ", "0"},
      {TagType::Digital, "2", nullptr},
      {TagType::Digital, "-1", nullptr},
      {TagType::Digital, "0.5", nullptr},
      {TagType::Digital, "on", nullptr},
      {TagType::Integer, "42", "42"},
      {TagType::Integer, "-7", "-7"},
      {TagType::Integer, "3.0", "3"},
      {TagType::Integer, "3.5", nullptr},
      {TagType::Integer, "2147483647", "2147483647"},
      {TagType::Integer, "2147483648", nullptr},
      {TagType::Integer, "", nullptr},
      {TagType::Integer, "12abc", nullptr},
      {TagType::Real, "12.5", "12.5"},
      {TagType::Real, "+1e3", "1000"},
      {TagType::Real, "-0", "0"},
      {TagType::Real, "abc", nullptr},
      {TagType::Real, "nan", nullptr},
      {TagType::Real, "inf", nullptr},
      {TagType::Real, "1e999", nullptr},
      {TagType::Real, "", nullptr},
      {TagType::String, "", ""},
      {TagType::String, "Filter 4 in service", "Filter 4 in service"},
  };
  for (const auto& c : cases) {
    const auto stored = CanonicalValue(c.type, c.text);
    if (c.stored == nullptr) {
      EXPECT_FALSE(stored) << TagTypeName(c.type) << " '" << c.text << "'";
    } else {
      ASSERT_TRUE(stored) << TagTypeName(c.type) << " '" << c.text << "'";
      EXPECT_EQ(*stored, c.stored) << TagTypeName(c.type) << " '" << c.text << "'";
    }
  }
}

TEST(TagType, BoundsStringValuesToWhatAClientBufferHolds) {
  EXPECT_TRUE(CanonicalValue(TagType::String, std::string(kMaxStringValue, 'x')));
  EXPECT_FALSE(CanonicalValue(TagType::String, std::string(kMaxStringValue + 1, 'x')));
}

TEST(TagType, FormatsSamplesWithSixDecimals) {
  EXPECT_EQ(FormatSample(60), "60.000000");
  EXPECT_EQ(FormatSample(-0.25), "-0.250000");
  EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(FormatNumber(3), "3");
}

}  // namespace
}  // namespace znsim
