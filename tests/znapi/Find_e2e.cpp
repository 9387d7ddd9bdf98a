// Searches against a real znsim: walking a large table record by record, the scroll modes,
// the record's field names, and what becomes invalid when a search moves on or closes.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using testing_support::ZnsimProcess;

// The names --generate-tags gives: GEN and six digits.
bool IsGeneratedName(const std::string& tag) {
  return tag.size() == 9 && tag.rfind("GEN", 0) == 0 &&
         tag.find_first_not_of("0123456789", 3) == std::string::npos;
}

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
    if (IsGeneratedName(*tag)) ++generated;
  } while (znFindNext(search, &record) != 0);
  EXPECT_EQ(walked, total);
  EXPECT_EQ(generated, 100000);

  // Back to the first record, which a fresh walk would start on.
  int32_t first = 0;
  EXPECT_NE(znFindScroll(search, ZNAPI_SCROLL_FIRST, 0, &first), 0);
  EXPECT_GT(first, 0);
  EXPECT_FALSE(records.count(first));
  int32_t again = 0;
  const int32_t second = znFindFirst(h, "Tag", "*", &again, 0);
  EXPECT_EQ(Property(first, "Tag"), Property(again, "Tag"));
  EXPECT_NE(znFindNext(search, &record), 0) << "the walk restarts after a rewind";

  EXPECT_NE(znFindClose(search), 0);
  EXPECT_NE(znFindClose(second), 0);
  znClose(h);
}

class FindDemo : public ::testing::Test {
 protected:
  void SetUp() override {
    h_ = OpenTo(server_);
    ASSERT_GT(h_, 0);
  }
  void TearDown() override { znClose(h_); }

  ZnsimProcess server_;
  int32_t h_ = 0;
};

TEST_F(FindDemo, RecordsNameTheirFields) {
  int32_t record = 0;
  const int32_t search = znFindFirst(h_, "Tag", "*", &record, 0);
  ASSERT_GT(search, 0);
  const auto count = Property(record, "object.fields.Count");
  ASSERT_TRUE(count.has_value());
  const int fields = std::stoi(*count);
  ASSERT_GE(fields, 4);
  std::set<std::string> names;
  for (int n = 1; n <= fields; ++n) {
    const auto name = Property(record, "object.fields(" + std::to_string(n) + ").Name");
    ASSERT_TRUE(name.has_value()) << n;
    names.insert(*name);
    EXPECT_TRUE(Property(record, *name).has_value()) << *name;
  }
  for (const char* expected : {"Tag", "Type", "Units", "Comment"}) {
    EXPECT_TRUE(names.count(expected)) << expected;
  }
  EXPECT_FALSE(Property(record, "object.fields(0).Name").has_value());
  EXPECT_FALSE(Property(record, "object.fields(" + std::to_string(fields + 1) + ").Name"));
  EXPECT_FALSE(Property(record, "NoSuchField").has_value());
  znFindClose(search);
}

TEST_F(FindDemo, PropertyIsCutToTheBufferWithItsLength) {
  int32_t record = 0;
  const int32_t search = znFindFirst(h_, "Tag", "*", &record, 0);
  ASSERT_GT(search, 0);
  const auto comment = Property(record, "Comment");
  ASSERT_TRUE(comment.has_value());
  ASSERT_GT(comment->size(), 3u);
  for (int length = 1; length <= static_cast<int>(comment->size()) + 2; ++length) {
    std::string buffer(static_cast<std::size_t>(length) + 4, '#');
    int32_t written = -1;
    ASSERT_NE(znGetProperty(record, "Comment", buffer.data(), length, &written, ZNAPI_TYPE_TEXT),
              0);
    const auto kept = std::min(static_cast<std::size_t>(length) - 1, comment->size());
    EXPECT_EQ(written, static_cast<int32_t>(kept));
    EXPECT_EQ(std::string(buffer.c_str()), comment->substr(0, kept));
    EXPECT_EQ(buffer.substr(static_cast<std::size_t>(length)), "####");
  }
  // Only the text type is offered; the length pointer may be left out.
  char buffer[32] = {};
  EXPECT_EQ(znGetProperty(record, "Comment", buffer, sizeof buffer, nullptr, 8), 0);
  EXPECT_NE(znGetProperty(record, "Comment", buffer, sizeof buffer, nullptr, ZNAPI_TYPE_TEXT), 0);
  znFindClose(search);
}

TEST_F(FindDemo, MovingOnOrClosingInvalidatesRecords) {
  int32_t first = 0;
  const int32_t search = znFindFirst(h_, "Tag", "*", &first, 0);
  ASSERT_GT(search, 0);
  int32_t second = 0;
  ASSERT_NE(znFindNext(search, &second), 0);
  EXPECT_NE(second, first);
  EXPECT_FALSE(Property(first, "Tag").has_value());
  EXPECT_TRUE(Property(second, "Tag").has_value());

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
  EXPECT_EQ(znFindFirst(h_, "ZNAPIAlarm(", "*", &record, 0), 0);
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

TEST_F(FindDemo, DeviceTableWalksToItsEnd) {
  int32_t record = 0;
  const int32_t search = znFindFirst(h_, "Shifts", "*", &record, 0);
  ASSERT_GT(search, 0);
  EXPECT_EQ(znFindScroll(search, ZNAPI_SCROLL_COUNT, 0, nullptr), 3);
  std::vector<std::string> shifts;
  do {
    shifts.push_back(Property(record, "Shift").value_or("?"));
  } while (znFindNext(search, &record));
  EXPECT_EQ(shifts, (std::vector<std::string>{"Early", "Late", "Night"}));
  EXPECT_EQ(znFindNext(search, &record), 0) << "stays at the end";
  EXPECT_EQ(znFindScroll(search, 99, 0, &record), 0) << "unknown scroll mode";
  znFindClose(search);
}

}  // namespace
}  // namespace znapi::testing
