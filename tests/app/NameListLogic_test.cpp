// The rules that turn library buffers and counts into name entries, captions and progress.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "NameList.h"
#include "ServerClock.h"

namespace {

struct BufferCase {
  std::string bytes;  // exactly what the library left in the buffer, NULs included
  QString expected;
};

TEST(NameFromBuffer, TakesTheTextUpToTheFirstNulWithoutLeadingBlanks) {
  const std::string full32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
  const BufferCase cases[] = {
      {std::string("Pump1\0\0\0", 8), "Pump1"},
      {std::string("   Pump1\0", 9), "Pump1"},
      // Blanks before the NUL belong to the name when the library ended it itself.
      {std::string("Pump1   \0", 9), "Pump1   "},
      {std::string("Pump1\0junk after the end", 24), "Pump1"},
      {std::string("\0Pump1", 6), ""},
      {std::string("    \0", 5), ""},
      // A full buffer carries no NUL: then blanks on both sides go.
      {full32, QString::fromLatin1(full32.c_str())},
      {"  " + full32.substr(0, 26) + "    ", QString::fromLatin1(full32.substr(0, 26).c_str())},
      {std::string(32, ' '), ""},
      // Only blanks are removed; a tab is part of the name.
      {std::string("\tTab \0", 6), "\tTab "},
      // 8-bit names keep their characters.
      {std::string("Temp\xB0"
                   "C\0",
                   7),
       QStringLiteral("Temp\u00B0C")},
  };
  for (const auto& c : cases)
    EXPECT_EQ(app::NameFromBuffer(c.bytes.data(), c.bytes.size()), c.expected)
        << "bytes: " << c.bytes;
}

TEST(NameListTexts, FailureAndCountCaptions) {
  EXPECT_EQ(app::NoNamesFoundText(""), "Failed to find any  tags!");
  EXPECT_EQ(app::NoNamesFoundText("alarm"), "Failed to find any alarm tags!");
  EXPECT_EQ(app::NoNamesFoundText("trend"), "Failed to find any trend tags!");
  EXPECT_EQ(app::NameCountCaption(1), "Tags: 1");
  EXPECT_EQ(app::NameCountCaption(40000), "Tags: 40000");
  EXPECT_EQ(app::NameCountCaption(-1), "Tags: -1");
}

TEST(ProgressScale, LastNameFillsTheStrip) {
  EXPECT_FLOAT_EQ(app::ProgressScale(8865, 3), 2955.0f);
  EXPECT_FLOAT_EQ(app::ProgressScale(8865, 32767) * 32767, 8865.0f);
  EXPECT_FLOAT_EQ(app::ProgressScale(100, 400), 0.25f);
}

TEST(ProgressScale, NoRecordsIsADivisionByZeroFailureNotAnInfiniteBar) {
  try {
    app::ProgressScale(8865, 0);
    FAIL() << "a zero total must fail";
  } catch (const std::domain_error& e) {
    EXPECT_STREQ(e.what(), "Division by zero");
  }
}

TEST(ServerTimeCaption, NamesTheComputerAndTrimsBlanksOnly) {
  struct Case {
    QString computer, time, expected;
  };
  const Case cases[] = {
      {"plant1", "12:00:05", "plant1's time: 12:00:05"},
      {"plant1", "   12:00:05  ", "plant1's time: 12:00:05"},
      {"", "12:00:05", "'s time: 12:00:05"},
      {"10.0.0.7:20222", "", "10.0.0.7:20222's time: "},
      {"p", "\t12:00\t", "p's time: \t12:00\t"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(app::ServerTimeCaption(c.computer, c.time), c.expected) << c.time.toStdString();
}

}  // namespace
