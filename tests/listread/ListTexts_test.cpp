#include "ListTexts.h"

#include <gtest/gtest.h>

namespace {

struct DropCase {
  const char* name;
  QString text;
  QStringList entries;
};

TEST(DropEntries, OneEntryPerFinishedLine) {
  const DropCase cases[] = {
      {"unfinished last line is left out", "T1\r\nT2", {"T1"}},
      {"a single unfinished line adds nothing", "T1", {}},
      {"spaces around a name go, inner ones stay", "  Tank 1  \r\n", {"Tank 1"}},
      {"empty lines stay", "T1\r\n\r\n   \r\nT2\r\n", {"T1", "", "", "T2"}},
      {"tabs are not spaces", "\tT1 \r\n", {"\tT1"}},
      {"a lone LF or CR does not split", "T1\nT2\rT3\r\n", {"T1\nT2\rT3"}},
      {"LF CR is not a line end", "T1\n\rT2\r\n", {"T1\n\rT2"}},
  };
  for (const auto& c : cases) EXPECT_EQ(listread::DropEntries(c.text), c.entries) << c.name;
}

}  // namespace
