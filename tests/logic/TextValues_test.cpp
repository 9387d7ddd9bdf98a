// The value rule on library buffers, the device field count, and text the library cannot carry.
#include <gtest/gtest.h>

#include <string>

#include "SendableText.h"
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

TEST(QueryLogic, TextThatWindows1252LacksIsNamedCharacterByCharacter) {
  const QString kTail = QStringLiteral(" cannot be sent: the library carries Windows-1252 text");
  const std::pair<QStringList, QString> cases[] = {
      {{QStringLiteral("Café crème 5 € “quoted” ?")}, QString()},
      {{QStringLiteral("Café crème №5 €")}, QStringLiteral("№ (U+2116)")},
      // Each character once, in the order met, across every text; beyond the BMP too.
      {{QStringLiteral("№ ✓"), QStringLiteral("№ 😀")},
       QStringLiteral("№ (U+2116), ✓ (U+2713), 😀 (U+1F600)")},
      {{QStringLiteral("абвгдеёжзий")},
       QStringLiteral("а (U+0430), б (U+0431), в (U+0432), г (U+0433), д (U+0434), е (U+0435), "
                      "ё (U+0451), ж (U+0436) and 3 more")},
  };
  for (const auto& [texts, named] : cases) {
    SCOPED_TRACE(texts.join('|').toStdString());
    EXPECT_EQ(logic::UnsendableText(texts).value_or("sendable"),
              named.isEmpty() ? QString("sendable") : named + kTail);
  }
}

}  // namespace
