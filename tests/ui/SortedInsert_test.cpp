// Sorted boxes: case-insensitive order, equal names kept in the order they came.
#include <gtest/gtest.h>

#include <QStringList>

#include "SortedInsert.h"

namespace {

TEST(SortedInsert, PositionIsAfterEveryEqualEntry) {
  const QStringList sorted{"alpha", "Beta", "beta", "BETA", "gamma"};
  const auto at = [&](int i) { return sorted[i]; };
  const std::pair<QString, int> cases[] = {{"", 0},     {"ALPHA", 1}, {"Alpha0", 1}, {"b", 1},
                                           {"bEtA", 4}, {"betb", 4},  {"zulu", 5}};
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(ui::SortedInsertPosition(int(sorted.size()), at, text), expected)
        << text.toStdString();
  EXPECT_EQ(ui::SortedInsertPosition(0, at, "x"), 0);
}

}  // namespace
