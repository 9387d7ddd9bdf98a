// Batched filling of a sorted box must end in the order one-by-one sorted insertion gives.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QStringListModel>
#include <random>

#include "SortedBoxBatch.h"
#include "SortedInsert.h"

namespace {

QStringList Items(const QComboBox& box) {
  QStringList out;
  for (int i = 0; i < box.count(); ++i) out << box.itemText(i);
  return out;
}

// Boxes of long name lists hold plain strings; others keep the default item model.
void UseStringModel(QComboBox& box, bool strings) {
  if (strings) box.setModel(new QStringListModel(&box));
}

TEST(SortedBoxBatch, EndsInTheOrderOfOneByOneInsertionAndPicksNoEntry) {
  for (const bool strings : {false, true}) {
    SCOPED_TRACE(strings ? "string model" : "item model");
    QComboBox empty;
    UseStringModel(empty, strings);
    empty.setEditable(true);
    {
      ui::SortedBoxBatch batch(&empty);
      batch.add("PT101");
      batch.add("FT101");
    }
    EXPECT_EQ(Items(empty), QStringList({"FT101", "PT101"}));
    EXPECT_EQ(empty.currentIndex(), -1);
    EXPECT_EQ(empty.currentText(), "");

    // Few distinct letters in mixed case give many names that compare equal.
    std::mt19937 random(7);
    const QString letters = "aAbB";
    QComboBox batched;
    UseStringModel(batched, strings);
    batched.setEditable(true);
    QStringList oneByOne{"b"};  // names already in a box stay before equal newcomers
    batched.addItem("b");
    ui::SortedBoxBatch batch(&batched, 1'000'000);
    for (int i = 0; i < 500; ++i) {
      QString name;
      for (int n = 0; n < 1 + int(random() % 3); ++n) name += letters[int(random() % 4)];
      name += QString::number(i);  // tells equal-comparing names apart in the result
      name.truncate(2);
      oneByOne.insert(ui::SortedInsertPosition(
                          int(oneByOne.size()), [&](int at) { return oneByOne[at]; }, name),
                      name);
      batch.add(name);
      if (random() % 50 == 0) batch.flush();
    }
    batch.flush();
    EXPECT_EQ(Items(batched), oneByOne);
  }
}

}  // namespace
