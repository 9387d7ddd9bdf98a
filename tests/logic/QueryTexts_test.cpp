// How a name buffer from the library becomes a box entry.
#include <gtest/gtest.h>

#include <string>

#include "QueryTexts.h"

namespace {

TEST(NameFromBuffer, TakesTheTextUpToTheFirstNulWithoutLeadingBlanks) {
  const std::string full32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
  // The exact bytes the library left in the buffer, NULs included.
  const std::pair<std::string, QString> cases[] = {
      {std::string("   Pump1\0junk", 13), "Pump1"},
      // Blanks before the NUL belong to the name when the library ended it itself.
      {std::string("Pump1   \0", 9), "Pump1   "},
      {std::string("\0Pump1", 6), ""},
      // A full buffer carries no NUL: then blanks on both sides go.
      {full32, QString::fromLatin1(full32.c_str())},
      {"  " + full32.substr(0, 26) + "    ", QString::fromLatin1(full32.substr(0, 26).c_str())},
      {std::string("\tTab \0", 6), "\tTab "},  // only blanks are removed
      {std::string("\x80Temp\xB0\x43\0", 8), QStringLiteral("\u20ACTemp\u00B0C")},  // Windows-1252
  };
  for (const auto& [bytes, expected] : cases)
    EXPECT_EQ(logic::NameFromBuffer(bytes.data(), bytes.size()), expected) << "bytes: " << bytes;
}

}  // namespace
