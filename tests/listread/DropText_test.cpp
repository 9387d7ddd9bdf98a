#include "DropText.h"

#include <gtest/gtest.h>

namespace {

struct DropCase {
  const char* name;
  QString text;
  QStringList entries;
};

TEST(DropEntries, OneEntryPerFinishedLine) {
  const DropCase cases[] = {
      {"two finished lines", "T1\r\nT2\r\n", {"T1", "T2"}},
      {"unfinished last line is left out", "T1\r\nT2", {"T1"}},
      {"a single unfinished line adds nothing", "T1", {}},
      {"empty text", "", {}},
      {"spaces around a name go", "  T1  \r\n", {"T1"}},
      {"empty middle lines stay", "T1\r\n\r\n\r\nT2\r\n", {"T1", "", "", "T2"}},
      {"a blank line becomes empty", "   \r\n", {""}},
      {"tabs are not spaces", "\tT1 \r\n", {"\tT1"}},
      {"a lone LF does not split", "T1\nT2\r\n", {"T1\nT2"}},
      {"a lone CR does not split", "T1\rT2\r\n", {"T1\rT2"}},
      {"LF CR is not a line end", "T1\n\rT2\r\n", {"T1\n\rT2"}},
      {"inner spaces stay", " Tank 1 Level \r\n", {"Tank 1 Level"}},
  };
  for (const auto& c : cases) EXPECT_EQ(app::DropEntries(c.text), c.entries) << c.name;
}

TEST(DragPayload, EveryEntryEndsInCrLfAndDropsBackUnchanged) {
  const QStringList entries{"T1", "", "Tank 1", "TAG READ FAILED: 'X'"};
  const QString payload = app::DragPayload(entries);
  EXPECT_EQ(payload, "T1\r\n\r\nTank 1\r\nTAG READ FAILED: 'X'\r\n");
  EXPECT_EQ(app::DropEntries(payload), entries);
  EXPECT_EQ(app::DragPayload({}), "");
}

}  // namespace
