#include <gtest/gtest.h>

#include <random>

#include "ListReadSortedMerge.h"
#include "ListWindowFixture.h"

namespace {

using listread_test::InsertOneByOne;

QStringList Sorted(QStringList list) {
  return InsertOneByOne({}, list);
}

TEST(MergeSorted, GivesTheOrderOfOneByOneInsertion) {
  // Few distinct letters in mixed case make many names compare equal, which is where a
  // merge that is not stable, or that breaks ties the wrong way, shows.
  std::mt19937 random(7);
  const QString letters = "aAbBc";
  auto name = [&] {
    QString n;
    const int length = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < length; ++i) n += letters[static_cast<int>(random() % letters.size())];
    return n;
  };
  for (int round = 0; round < 200; ++round) {
    QStringList existing, added;
    const int n = static_cast<int>(random() % 30), m = static_cast<int>(random() % 30);
    for (int i = 0; i < n; ++i) existing.append(name());
    for (int i = 0; i < m; ++i) added.append(name());
    existing = Sorted(existing);
    const auto merged = app::MergeSorted(existing, added);
    ASSERT_EQ(merged.entries, InsertOneByOne(existing, added)) << "round " << round;
    ASSERT_EQ(merged.movedRows.size(), static_cast<std::size_t>(existing.size()));
    for (qsizetype i = 0; i < existing.size(); ++i)
      ASSERT_EQ(merged.entries[merged.movedRows[static_cast<std::size_t>(i)]], existing[i]);
  }
}

TEST(MergeSorted, EqualNamesKeepArrivalOrderAfterExistingOnes) {
  const auto merged = app::MergeSorted({"a", "TAG", "z"}, {"tag", "Tag", "B"});
  EXPECT_EQ(merged.entries, (QStringList{"a", "B", "TAG", "tag", "Tag", "z"}));
  EXPECT_EQ(merged.movedRows, (std::vector<int>{0, 2, 5}));
}

}  // namespace
