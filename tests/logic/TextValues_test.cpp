// The value rule on library buffers and the device field count.
#include <gtest/gtest.h>

#include <string>

#include "TextValues.h"

namespace {

using logic::ValueRule;

// A 32-byte field buffer as the library leaves it: the bytes written, then NULs.
std::string Buffer(const std::string& written) {
  std::string b(binding::kFieldLength, '\0');
  return b.replace(0, written.size(), written);
}

TEST(QueryLogic, ValueRuleTrimsOnlyWhatStandsOutsideTheLibrarysText) {
  struct Case {
    std::string buffer, trimmed, untrimmed;
  };
  const std::string full = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012   ";  // 32 bytes, no NUL
  const Case cases[] = {
      {Buffer(std::string("  LOW  ") + '\0'), "LOW  ", "  LOW  "},
      {full, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012", full},
      {Buffer("\tTAB\t"), "\tTAB\t", "\tTAB\t"},  // only blanks are trimmed
      {Buffer(std::string("A\0B", 3)), "A", "A"},
      {Buffer("\x93\xB0\x43\x94"), "“°C”", "“°C”"},  // Windows-1252
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.buffer);
    ASSERT_EQ(c.buffer.size(), binding::kFieldLength);
    EXPECT_EQ(logic::FieldValue(c.buffer.data(), c.buffer.size(), ValueRule::Trimmed),
              QString::fromStdString(c.trimmed));
    EXPECT_EQ(logic::FieldValue(c.buffer.data(), c.buffer.size(), ValueRule::Untrimmed),
              QString::fromStdString(c.untrimmed));
  }
}

TEST(QueryLogic, DeviceFieldCountAcceptsWholeNumbersUpToSixteenBits) {
  struct Case {
    const char* text;
    std::optional<std::int16_t> value;
  };
  const Case cases[] = {
      {" 3 ", 3}, {"2.5", 2}, {"-4", 0}, {"32767", 32767}, {"32768", {}}, {"three", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const logic::DeviceFieldCount count = logic::ReadDeviceFieldCount(QString::fromLatin1(c.text));
    EXPECT_EQ(count.ok() ? std::optional(count.value) : std::nullopt, c.value);
  }
}

}  // namespace
