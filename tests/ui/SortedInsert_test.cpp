// Sorted boxes: case-insensitive order, equal names kept in the order they came.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCompleter>
#include <QListWidget>
#include <algorithm>
#include <random>

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

TEST(SortedInsert, BoxesMatchAStableCaseInsensitiveSort) {
  std::mt19937 random(7);
  const QStringList stems{"Tank", "tank", "TANK", "Pump", "pump", "valve", "Valve", "_x", "10"};
  QComboBox box;
  box.setEditable(true);
  QListWidget list;
  QStringList added;
  for (int i = 0; i < 600; ++i) {
    const QString name = stems[random() % stems.size()] + QString::number(random() % 5);
    added << name;
    ASSERT_EQ(box.itemText(ui::AddSorted(&box, name)), name);
    ASSERT_EQ(list.item(ui::AddSorted(&list, name))->text(), name);
  }
  std::stable_sort(added.begin(), added.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  for (int i = 0; i < added.size(); ++i) {
    ASSERT_EQ(box.itemText(i), added[i]) << i;
    ASSERT_EQ(list.item(i)->text(), added[i]) << i;
  }
}

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
