// The one rule that keeps a server's text from running as a formula in a spreadsheet, for the
// windows' QString cells and zncheck's UTF-8 ones alike.
#include <gtest/gtest.h>

#include "FormulaGuard.h"

namespace {

TEST(FormulaGuard, GuardsWhatASpreadsheetWouldRunAndNothingElse) {
  const std::pair<const char*, bool> cases[] = {
      {"=HYPERLINK(\"http://x\",\"y\")", true},
      {"@SUM(A1)", true},
      {"+cmd|' /C calc'!A0", true},
      {"-x", true},
      {"\t=1+1", true},
      {"\r=1+1", true},
      {"+5", false},
      {"-0.5", false},
      {" =1", false},
      {"a=b", false},
      {"", false},
      {"\xC3\xA9=1", false},  // é, then an equals sign: text
  };
  for (const auto& [text, guarded] : cases) {
    const std::string utf8 = text;
    const std::string expected = guarded ? "'" + utf8 : utf8;
    EXPECT_EQ(logic::GuardedCell(std::string_view(utf8)), expected) << utf8;
    EXPECT_EQ(logic::GuardedCell(QString::fromStdString(utf8)).toStdString(), expected) << utf8;
  }
}

}  // namespace
