// Record properties and the paging of a search, against a scripted page source.
#include "SearchCursor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace znapi::detail {
namespace {

// The happy path is read by every device query; here the names that must not be answered.
TEST(LookUpProperty, AnswersNothingOutOfRange) {
  const ColumnSet columns({"Tag", "Type", "Units", "Comment", "comment"});
  EXPECT_EQ(LookUpProperty(columns, "OBJECT.FIELDS(4).NAME").text, "Comment");
  EXPECT_EQ(LookUpProperty(columns, "Object.Fields.Count").text, "5");
  EXPECT_EQ(LookUpProperty(columns, "COMMENT").column, 3u) << "the first of two namesakes";
  for (const char* name :
       {"Missing", "object.fields(0).Name", "object.fields(6).Name", "object.fields(1x).Name"}) {
    const auto lookup = LookUpProperty(columns, name);
    EXPECT_FALSE(lookup.text || lookup.column) << name;
  }
}

// A server-side result of `total` rows with the columns Name ("row N") and Square ("N*N"),
// served in pages of at most `pageLimit` with the columns asked for. It records what was
// asked and given up.
struct ScriptedSearch : PageSource {
  struct Asked {
    std::uint64_t offset;
    std::uint32_t count;
    std::vector<std::uint32_t> columns;
  };
  ScriptedSearch(std::uint64_t t, std::uint32_t limit) : total(t), pageLimit(limit) {}

  std::uint64_t total;
  std::uint32_t pageLimit;
  bool failing = false;
  bool misplacing = false;      // answers every request with the first page
  std::vector<Asked> requests;  // by ticket - 1
  std::vector<std::uint32_t> abandoned;

  ArenaResponse Page(std::uint64_t offset, std::uint32_t count,
                     const std::vector<std::uint32_t>& columns = {}) const {
    ArenaResponse reply;
    auto& page = *reply->mutable_find_page();
    page.set_search(7);
    page.set_total(total);
    page.set_offset(offset);
    page.add_columns("Name");
    page.add_columns("Square");
    page.mutable_present()->Add(columns.begin(), columns.end());
    const std::uint64_t end = std::min<std::uint64_t>(total, offset + std::min(count, pageLimit));
    for (std::uint64_t i = offset; i < end; ++i) {
      auto* row = page.add_rows();
      if (columns.empty() || columns.front() == 0) row->add_values("row " + std::to_string(i));
      if (columns.empty() || columns.back() == 1) row->add_values(std::to_string(i * i));
    }
    return reply;
  }

  std::uint32_t Request(std::uint64_t offset, std::uint32_t count,
                        const std::vector<std::uint32_t>& columns) override {
    requests.push_back({offset, count, columns});
    return static_cast<std::uint32_t>(requests.size());
  }
  std::optional<ArenaResponse> Collect(std::uint32_t ticket) override {
    if (failing) return std::nullopt;
    const auto& asked = requests.at(ticket - 1);
    return misplacing ? Page(0, asked.count) : Page(asked.offset, asked.count, asked.columns);
  }
  void Abandon(std::uint32_t ticket) override { abandoned.push_back(ticket); }
};

std::string Read(SearchCursor& cursor, ScriptedSearch& server, const char* column) {
  const auto value = cursor.Property(column, server);
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
  for (const auto& asked : server.requests) EXPECT_EQ(asked.offset % 7, 0u);
}

TEST(SearchCursor, FailedFetchStopsWithoutMoving) {
  ScriptedSearch server(20, 10);
  SearchCursor cursor(server.Page(0, 10));
  cursor.Prefetch(server);
  for (int i = 0; i < 9; ++i) ASSERT_TRUE(cursor.Next(server));
  server.failing = true;
  EXPECT_FALSE(cursor.Next(server));
  EXPECT_EQ(Read(cursor, server, "Name"), "row 9");
  // The page asked for in advance was used up by the failure; the next move asks again.
  server.failing = false;
  EXPECT_TRUE(cursor.Next(server));
  EXPECT_EQ(Read(cursor, server, "Name"), "row 10");
  EXPECT_EQ(server.requests.size(), 2u);
}

TEST(SearchCursor, TotalsThatDisagreeWithTheRowsEndTheWalkCleanly) {
  // The total promises more rows than the server delivers: the walk ends instead of looping.
  ScriptedSearch server(5, 5);
  auto first = server.Page(0, 5);
  first->mutable_find_page()->set_total(100);
  SearchCursor cursor(std::move(first));
  cursor.Prefetch(server);
  EXPECT_EQ(WalkToTheEnd(cursor, server), 4);
  EXPECT_EQ(server.requests.size(), 1u);

  // A total below the rows in hand does not hide them.
  first = server.Page(0, 3);
  first->mutable_find_page()->set_total(1);
  SearchCursor shortTotal(std::move(first));
  EXPECT_EQ(shortTotal.total(), 3u);
  EXPECT_EQ(WalkToTheEnd(shortTotal, server), 2);

  // A page that does not start where it was asked to.
  ScriptedSearch wrong(5, 2);
  wrong.misplacing = true;
  SearchCursor misplaced(wrong.Page(0, 2));
  EXPECT_EQ(WalkToTheEnd(misplaced, wrong), 1);
  EXPECT_EQ(Read(misplaced, wrong, "Name"), "row 1");
}

// A rewind after the first page is gone, and a walk through every row, are seen end to end.
TEST(SearchCursor, RewindAndAbandonGiveUpThePageAskedForInAdvance) {
  ScriptedSearch server(30, 10);
  SearchCursor cursor(server.Page(0, 10));
  cursor.Next(server);
  EXPECT_TRUE(cursor.Rewind(server));
  EXPECT_TRUE(server.requests.empty()) << "the first page is still in hand";
  for (int i = 0; i < 15; ++i) cursor.Next(server);
  EXPECT_EQ(server.requests.back().offset, 20u) << "the third page is asked for in advance";
  EXPECT_TRUE(cursor.Rewind(server));
  EXPECT_EQ(Read(cursor, server, "Name"), "row 0");
  EXPECT_EQ(server.abandoned.size(), 1u);
  cursor.Prefetch(server);
  cursor.Abandon(server);
  cursor.Abandon(server);  // nothing left to give up
  EXPECT_EQ(server.abandoned.size(), 2u);
}

// Pages after the first carry only the columns read so far; a column read later is fetched
// with the page again, and every page after it carries it too.
TEST(SearchCursor, LaterPagesCarryTheColumnsReadSoFar) {
  ScriptedSearch server(30, 10);
  SearchCursor cursor(server.Page(0, 10));
  cursor.Prefetch(server);
  ASSERT_EQ(server.requests.size(), 1u);
  EXPECT_TRUE(server.requests[0].columns.empty()) << "nothing read yet: the second page is whole";
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(Read(cursor, server, "name"), "row " + std::to_string(i));
    cursor.Next(server);
  }
  ASSERT_EQ(server.requests.size(), 2u);
  EXPECT_EQ(server.requests[1].columns, std::vector<std::uint32_t>{0});

  EXPECT_EQ(Read(cursor, server, "Square"), "100") << "the whole second page is in hand";
  for (int i = 10; i < 20; ++i) cursor.Next(server);
  EXPECT_EQ(Read(cursor, server, "Name"), "row 20");
  EXPECT_EQ(server.requests.size(), 2u) << "no fetch for a column the page carries";
  EXPECT_EQ(Read(cursor, server, "Square"), "400");
  ASSERT_EQ(server.requests.size(), 3u);
  EXPECT_EQ(server.requests[2].offset, 20u) << "the page in hand fetched again";
  EXPECT_EQ(server.requests[2].columns, (std::vector<std::uint32_t>{0, 1}));
  EXPECT_EQ(Read(cursor, server, "Name"), "row 20") << "the row stays where it was";
  EXPECT_EQ(Read(cursor, server, "object.fields(2).Name"), "Square");
  EXPECT_EQ(Read(cursor, server, "Missing"), "<none>");
}

}  // namespace
}  // namespace znapi::detail
