// Merging names into a sorted list must give what inserting them one by one gives.
#include <gtest/gtest.h>

#include <random>

#include "ListWindowFixture.h"
#include "SortedMerge.h"

namespace {

using listread_test::InsertOneByOne;

TEST(MergeSorted, GivesTheOrderOfOneByOneInsertion) {
  // Few distinct letters in mixed case make many names compare equal, which is where a
  // merge that is not stable, or that breaks ties the wrong way, shows.
  std::mt19937 random(7);
  const QString letters = "aAbBc";
  auto names = [&] {
    QStringList list;
    for (int n = static_cast<int>(random() % 30); n > 0; --n) {
      QString name;
      for (int i = 1 + static_cast<int>(random() % 3); i > 0; --i)
        name += letters[static_cast<int>(random() % letters.size())];
      list.append(name);
    }
    return list;
  };
  for (int round = 0; round < 200; ++round) {
    const QStringList existing = InsertOneByOne({}, names());
    const QStringList added = names();
    const auto merged = listread::MergeSorted(existing, added);
    ASSERT_EQ(merged.entries, InsertOneByOne(existing, added)) << "round " << round;
    ASSERT_EQ(merged.movedRows.size(), static_cast<std::size_t>(existing.size()));
    for (qsizetype i = 0; i < existing.size(); ++i)
      ASSERT_EQ(merged.entries[merged.movedRows[static_cast<std::size_t>(i)]], existing[i]);
  }
}

}  // namespace
