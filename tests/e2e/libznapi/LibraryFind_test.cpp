// Searches against a real znsim: walking a large table record by record, the scroll modes,
// and what becomes invalid when a search moves on or closes.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using testing_support::ZnsimProcess;

TEST(Find, WalksOneHundredThousandGeneratedTagsRecordByRecord) {
  ZnsimProcess server({"--generate-tags", "100000"});
  const int32_t h = OpenTo(server);
  ASSERT_GT(h, 0);
  int32_t record = 0;
  const int32_t search = znFindFirst(h, "Tag", "*", &record, 0);
  ASSERT_GT(search, 0);
  const int32_t total = znFindScroll(search, ZNAPI_SCROLL_COUNT, 0, nullptr);
  ASSERT_GT(total, 100000);

  std::int64_t walked = 0;
  std::int64_t generated = 0;
  std::set<int32_t> records;
  std::string previous;
  do {
    ++walked;
    EXPECT_TRUE(records.insert(record).second) << "record handle reused";
    const auto tag = Property(record, "Tag");
    ASSERT_TRUE(tag.has_value()) << "record " << walked;
    ASSERT_NE(*tag, previous) << "same row twice at " << walked;
    previous = *tag;
    // The names --generate-tags gives: GEN and six digits.
    if (tag->size() == 9 && tag->rfind("GEN", 0) == 0) ++generated;
    // Deep in the walk, pages carry the one column read so far: another is fetched anew.
    if (walked == 54321) {
      ASSERT_EQ(tag->rfind("GEN", 0), 0u);
      EXPECT_EQ(Property(record, "Comment"),
                "Generated measurement " + std::to_string(std::stoi(tag->substr(3))));
      EXPECT_EQ(Property(record, "Tag"), *tag) << "the row stays where it was";
    }
  } while (znFindNext(search, &record) != 0);
  EXPECT_EQ(walked, total);
  EXPECT_EQ(generated, 100000);
  EXPECT_EQ(znFindNext(search, &record), 0) << "stays at the end";
  EXPECT_EQ(znFindScroll(search, 99, 0, &record), 0) << "unknown scroll mode";

  // Back to the first record, which a fresh walk would start on.
  int32_t first = 0;
  EXPECT_NE(znFindScroll(search, ZNAPI_SCROLL_FIRST, 0, &first), 0);
  EXPECT_FALSE(records.count(first));
  int32_t again = 0;
  const int32_t second = znFindFirst(h, "Tag", "*", &again, 0);
  EXPECT_EQ(Property(first, "Tag"), Property(again, "Tag"));
  EXPECT_NE(znFindNext(search, &record), 0) << "the walk restarts after a rewind";
  EXPECT_NE(znFindClose(search), 0);
  EXPECT_NE(znFindClose(second), 0);
  znClose(h);
}

using FindDemo = Connected;

TEST_F(FindDemo, MovingOnOrClosingInvalidatesRecords) {
  int32_t first = 0;
  const int32_t search = znFindFirst(h_, "Tag", "*", &first, 0);
  ASSERT_GT(search, 0);
  int32_t second = 0;
  ASSERT_NE(znFindNext(search, &second), 0);
  EXPECT_FALSE(Property(first, "Tag").has_value());
  EXPECT_TRUE(Property(second, "Tag").has_value());
  // Back at the first row, the first row's old handle stays invalid: the new one is valid.
  int32_t rewound = 0;
  ASSERT_NE(znFindScroll(search, ZNAPI_SCROLL_FIRST, 0, &rewound), 0);
  EXPECT_FALSE(Property(first, "Tag").has_value());
  EXPECT_FALSE(Property(second, "Tag").has_value());
  EXPECT_TRUE(Property(rewound, "Tag").has_value());
  // Two searches walked in turn each keep their own current record.
  int32_t other = 0;
  const int32_t beside = znFindFirst(h_, "_Trend", "*", &other, 0);
  ASSERT_GT(beside, 0);
  for (int i = 0; i < 5; ++i) {
    ASSERT_NE(znFindNext(search, &second), 0);
    ASSERT_NE(znFindNext(beside, &other), 0);
    EXPECT_TRUE(Property(second, "Tag").has_value()) << i;
    EXPECT_TRUE(Property(other, "Name").has_value()) << i;
  }
  EXPECT_NE(znFindClose(beside), 0);
  EXPECT_NE(znFindClose(search), 0);
  EXPECT_FALSE(Property(second, "Tag").has_value());
  int32_t out = 0;
  EXPECT_EQ(znFindNext(search, &out), 0);
  EXPECT_EQ(znFindClose(search), 0);

  // Closing the connection takes its open searches with it.
  int32_t record = 0;
  const int32_t h = OpenTo(server_);
  const int32_t orphan = znFindFirst(h, "Tag", "*", &record, 0);
  ASSERT_GT(orphan, 0);
  znClose(h);
  EXPECT_EQ(znFindNext(orphan, &out), 0);
  EXPECT_EQ(znFindScroll(orphan, ZNAPI_SCROLL_COUNT, 0, &out), 0);
  EXPECT_FALSE(Property(record, "Tag").has_value());
}

TEST_F(FindDemo, FailedOrEmptySearchesGiveNoHandle) {
  int32_t record = -3;
  EXPECT_EQ(znFindFirst(h_, "NoSuchTable", "*", &record, 0), 0);
  EXPECT_EQ(
      znFindFirst(h_, R"(ZNAPITrend("04:00:24","04/05/2005",2, 0, 0, TREND1))", "*", &record, 0),
      0);
  EXPECT_EQ(znFindFirst(h_, "Tag", "*", nullptr, 0), 0);
  EXPECT_EQ(znFindFirst(h_, nullptr, "*", &record, 0), 0);
  EXPECT_EQ(record, -3);
  EXPECT_TRUE(Zncode(h_, "Time(1)").has_value());
}

TEST_F(FindDemo, ManySearchesOpenedAndClosedDoNotExhaustTheServer) {
  // The server limits open searches per connection; closing must release them there too.
  for (int i = 0; i < 200; ++i) {
    int32_t record = 0;
    const int32_t search = znFindFirst(h_, "Tag", "*", &record, 0);
    ASSERT_GT(search, 0) << "search " << i;
    ASSERT_NE(znFindClose(search), 0);
  }
}

}  // namespace
}  // namespace znapi::testing
