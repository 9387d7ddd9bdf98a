#include <gtest/gtest.h>

#include <random>

#include "ListReadLines.h"
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

TEST(IsInSortedOrder, SpotsAnEntryReplacedOutOfPlace) {
  EXPECT_TRUE(app::IsInSortedOrder({}));
  EXPECT_TRUE(app::IsInSortedOrder({"a", "A", "b"}));
  EXPECT_TRUE(app::IsInSortedOrder({"B", "b", "C"}));
  EXPECT_FALSE(app::IsInSortedOrder({"a", "zz", "b"}));
}

TEST(FailureLines, AreRecognisedOnlyForTheirOwnTag) {
  EXPECT_EQ(app::TagAddFailedLine("T1"), "TAG ADD FAILED: 'T1'");
  EXPECT_EQ(app::TagReadFailedLine("T1"), "TAG READ FAILED: 'T1'");
  EXPECT_TRUE(app::IsFailureLineOf("TAG ADD FAILED: 'T1'", "T1"));
  EXPECT_TRUE(app::IsFailureLineOf("TAG READ FAILED: 'T1'", "T1"));
  EXPECT_FALSE(app::IsFailureLineOf("TAG READ FAILED: 'T2'", "T1"));
  EXPECT_FALSE(app::IsFailureLineOf("TAG READ FAILED: 't1'", "T1"));
  EXPECT_FALSE(app::IsFailureLineOf(" TAG READ FAILED: 'T1'", "T1"));
  EXPECT_FALSE(app::IsFailureLineOf("12.5", "T1"));
}

TEST(WriteStatusText, NamesTheUnwrittenPairsOnlyWhenThereAreAny) {
  const QString timing = "Status: Writing the list takes about 1 second to 'LOCAL'.";
  EXPECT_EQ(app::WriteStatusText(timing, 0, 3), timing);
  EXPECT_EQ(app::WriteStatusText(timing, 2, 3), timing + " 2 of 3 tag(s) not written.");
}

}  // namespace
