// Sorted boxes: case-insensitive order, equal names kept in the order they came.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCompleter>
#include <QListWidget>
#include <QStringList>
#include <algorithm>
#include <random>

#include "SortedInsert.h"
#include "Widgets.h"

namespace {

QStringList Items(const QComboBox& box) {
  QStringList out;
  for (int i = 0; i < box.count(); ++i) out << box.itemText(i);
  return out;
}

QStringList Items(const QListWidget& list) {
  QStringList out;
  for (int i = 0; i < list.count(); ++i) out << list.item(i)->text();
  return out;
}

TEST(SortedInsert, PositionIsAfterEveryEqualEntry) {
  const QStringList sorted{"alpha", "Beta", "beta", "BETA", "gamma"};
  const auto at = [&](int i) { return sorted[i]; };
  struct Case {
    QString text;
    int expected;
  };
  const Case cases[] = {{"", 0},     {"ALPHA", 1}, {"Alpha0", 1}, {"b", 1},
                        {"bEtA", 4}, {"betb", 4},  {"Gamma", 5},  {"zulu", 5}};
  for (const auto& c : cases)
    EXPECT_EQ(ui::SortedInsertPosition(int(sorted.size()), at, c.text), c.expected)
        << c.text.toStdString();
  EXPECT_EQ(ui::SortedInsertPosition(0, at, "x"), 0);
}

TEST(SortedInsert, BoxesMatchAStableCaseInsensitiveSort) {
  std::mt19937 random(7);
  const QStringList stems{"Tank", "tank", "TANK", "Pump", "pump", "valve", "Valve", "_x", "10"};
  QStringList added;
  for (int i = 0; i < 600; ++i)
    added << stems[random() % stems.size()] + QString::number(random() % 5);

  QComboBox box;
  box.setEditable(true);
  QListWidget list;
  for (const auto& name : added) {
    const int boxAt = ui::AddSorted(&box, name);
    const int listAt = ui::AddSorted(&list, name);
    ASSERT_EQ(box.itemText(boxAt), name);
    ASSERT_EQ(list.item(listAt)->text(), name);
  }

  QStringList expected = added;
  std::stable_sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  EXPECT_EQ(Items(box), expected);
  EXPECT_EQ(Items(list), expected);
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
  completer->setCompletionPrefix("tank");
  EXPECT_EQ(completer->completionCount(), 2);
}

}  // namespace
