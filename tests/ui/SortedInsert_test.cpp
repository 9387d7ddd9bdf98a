// Sorted boxes: case-insensitive order, equal names kept in the order they came.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCompleter>

#include "SortedInsert.h"
#include "Widgets.h"

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

// The completer is told the box is sorted and so searches it by halves: the box's order must be
// the one it assumes, or typed prefixes miss names.
TEST(SortedInsert, EditableBoxStillCompletesCaseInsensitively) {
  QComboBox box;
  box.setEditable(true);
  for (const char* name : {"pump2", "Tank1", "PUMP1", "valve", "Pumphouse", "tank0", "apump"})
    ui::AddSorted(&box, name);
  QCompleter* completer = box.completer();
  ASSERT_NE(completer, nullptr);
  completer->setCompletionPrefix("pUm");
  QStringList found;
  for (bool more = completer->setCurrentRow(0); more;
       more = completer->setCurrentRow(completer->currentRow() + 1))
    found << completer->currentCompletion();
  EXPECT_EQ(found, (QStringList{"PUMP1", "pump2", "Pumphouse"}));
}

}  // namespace
