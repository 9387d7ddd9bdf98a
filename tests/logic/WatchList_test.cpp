// A watch list from a file or a drop: one tag per line whatever the line ends, and back.
#include <gtest/gtest.h>

#include "WatchList.h"

namespace {

TEST(WatchList, OneTagPerLineWithBlanksEmptyLinesAndRepeatsDropped) {
  const std::pair<QString, QStringList> cases[] = {
      {"LIT101\r\nFIT101\r\n", {"LIT101", "FIT101"}},  // from the list window
      {"LIT101\nFIT101", {"LIT101", "FIT101"}},        // no end on the last line
      {"  Tank 2, level \n\n\r\nLIT101\nLIT101\n", {"Tank 2, level", "LIT101"}},
      {"", {}},
  };
  for (const auto& [text, tags] : cases)
    EXPECT_EQ(logic::WatchListTags(text), tags) << text.toStdString();
  const QStringList tags{"LIT101", "Tank 2, level", "Temp \u00b0C"};
  EXPECT_EQ(logic::WatchListTags(QString::fromUtf8(logic::WatchListFile(tags))), tags);
}

}  // namespace
