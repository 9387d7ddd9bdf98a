// Record properties and the paging of a search, against a scripted page source.
#include "SearchCursor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace znapi::detail {
namespace {

znwire::Row MakeRow(const std::vector<std::string>& values) {
  znwire::Row row;
  for (const auto& v : values) row.add_values(v);
  return row;
}

// The happy path is read by every device query; here the names that must not be answered.
TEST(ReadRecordProperty, AnswersNothingOutOfRange) {
  const ColumnSet columns({"Tag", "Type", "Units", "Comment"});
  const auto row = MakeRow({"PUMP_1", "Digital", ""});  // shorter than the columns
  const auto read = [&](const char* name) { return ReadRecordProperty(columns, row, name); };
  EXPECT_EQ(read("OBJECT.FIELDS(4).NAME"), "Comment");
  for (const char* name : {"Comment", "Missing", "object.fields(0).Name", "object.fields(5).Name",
                           "object.fields(1x).Name"}) {
    EXPECT_FALSE(read(name).has_value()) << name;
  }
}

// A server-side result of `total` rows named "row N", served in pages of at most `pageLimit`.
// It records what was asked and given up.
struct ScriptedSearch : PageSource {
  ScriptedSearch(std::uint64_t t, std::uint32_t limit) : total(t), pageLimit(limit) {}

  std::uint64_t total;
  std::uint32_t pageLimit;
  bool failing = false;
  bool misplacing = false;  // answers every request with the first page
  std::vector<std::pair<std::uint64_t, std::uint32_t>> requests;  // by ticket - 1
  std::vector<std::uint32_t> abandoned;

  znwire::FindPage Page(std::uint64_t offset, std::uint32_t count) const {
    znwire::FindPage page;
    page.set_search(7);
    page.set_total(total);
    page.set_offset(offset);
    page.add_columns("Name");
    const std::uint64_t end = std::min<std::uint64_t>(total, offset + std::min(count, pageLimit));
    for (std::uint64_t i = offset; i < end; ++i) {
      *page.add_rows() = MakeRow({"row " + std::to_string(i)});
    }
    return page;
  }

  std::uint32_t Request(std::uint64_t offset, std::uint32_t count) override {
    requests.emplace_back(offset, count);
    return static_cast<std::uint32_t>(requests.size());
  }
  std::optional<znwire::FindPage> Collect(std::uint32_t ticket) override {
    if (failing) return std::nullopt;
    const auto& [offset, count] = requests.at(ticket - 1);
    return misplacing ? Page(0, count) : Page(offset, count);
  }
  void Abandon(std::uint32_t ticket) override { abandoned.push_back(ticket); }
};

std::string Current(const SearchCursor& cursor) {
  const auto value = cursor.Property(cursor.position(), "Name");
  return value ? std::string(*value) : "<none>";
}

// Moves to the end; the number of moves made.
int WalkToTheEnd(SearchCursor& cursor, PageSource& source) {
  int moves = 0;
  while (cursor.Next(source)) ++moves;
  return moves;
}

TEST(SearchCursor, ServerThatSendsShorterPagesIsFollowedToTheEnd) {
  ScriptedSearch server(250, 7);
  SearchCursor cursor(server.Page(0, kFindPageRows));
  cursor.Prefetch(server);
  EXPECT_EQ(WalkToTheEnd(cursor, server), 249);
  for (const auto& [offset, count] : server.requests) EXPECT_EQ(offset % 7, 0u);
}

TEST(SearchCursor, FailedFetchStopsWithoutMoving) {
  ScriptedSearch server(20, 10);
  SearchCursor cursor(server.Page(0, 10));
  cursor.Prefetch(server);
  for (int i = 0; i < 9; ++i) ASSERT_TRUE(cursor.Next(server));
  server.failing = true;
  EXPECT_FALSE(cursor.Next(server));
  EXPECT_EQ(Current(cursor), "row 9");
  // The page asked for in advance was used up by the failure; the next move asks again.
  server.failing = false;
  EXPECT_TRUE(cursor.Next(server));
  EXPECT_EQ(Current(cursor), "row 10");
  EXPECT_EQ(server.requests.size(), 2u);
}

TEST(SearchCursor, TotalsThatDisagreeWithTheRowsEndTheWalkCleanly) {
  // The total promises more rows than the server delivers: the walk ends instead of looping.
  ScriptedSearch server(5, 5);
  auto first = server.Page(0, 5);
  first.set_total(100);
  SearchCursor cursor(first);
  cursor.Prefetch(server);
  EXPECT_EQ(WalkToTheEnd(cursor, server), 4);
  EXPECT_EQ(server.requests.size(), 1u);

  // A total below the rows in hand does not hide them.
  first = server.Page(0, 3);
  first.set_total(1);
  SearchCursor shortTotal(first);
  EXPECT_EQ(shortTotal.total(), 3u);
  EXPECT_EQ(WalkToTheEnd(shortTotal, server), 2);

  // A page that does not start where it was asked to.
  ScriptedSearch wrong(5, 2);
  wrong.misplacing = true;
  SearchCursor misplaced(wrong.Page(0, 2));
  EXPECT_EQ(WalkToTheEnd(misplaced, wrong), 1);
  EXPECT_EQ(Current(misplaced), "row 1");
}

// A rewind after the first page is gone, and a walk through every row, are seen end to end.
TEST(SearchCursor, RewindAndAbandonGiveUpThePageAskedForInAdvance) {
  ScriptedSearch server(30, 10);
  SearchCursor cursor(server.Page(0, 10));
  cursor.Next(server);
  EXPECT_TRUE(cursor.Rewind(server));
  EXPECT_TRUE(server.requests.empty()) << "the first page is still in hand";
  for (int i = 0; i < 15; ++i) cursor.Next(server);
  EXPECT_EQ(server.requests.back().first, 20u) << "the third page is asked for in advance";
  EXPECT_TRUE(cursor.Rewind(server));
  EXPECT_EQ(Current(cursor), "row 0");
  EXPECT_EQ(server.abandoned.size(), 1u);
  cursor.Prefetch(server);
  cursor.Abandon(server);
  cursor.Abandon(server);  // nothing left to give up
  EXPECT_EQ(server.abandoned.size(), 2u);
}

}  // namespace
}  // namespace znapi::detail
