// Record properties and the paging of a search, against a scripted page source.
#include "FindCursor.h"

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

TEST(ReadRecordProperty, AnswersFieldsCountAndNames) {
  const ColumnSet columns({"Tag", "Type", "Units", "Comment"});
  const auto row = MakeRow({"PUMP_1", "Digital", ""});  // shorter than the columns
  const auto read = [&](const char* name) { return ReadRecordProperty(columns, row, name); };
  EXPECT_EQ(read("Tag"), "PUMP_1");
  EXPECT_EQ(read("tag"), "PUMP_1");
  EXPECT_EQ(read("Units"), "");
  EXPECT_EQ(read("Object.Fields.count"), "4");
  EXPECT_EQ(read("object.fields(1).Name"), "Tag");
  EXPECT_EQ(read("OBJECT.FIELDS(4).NAME"), "Comment");
  for (const char* name :
       {"Comment", "Missing", "", "object.fields(0).Name", "object.fields(5).Name",
        "object.fields(-1).Name", "object.fields().Name", "object.fields(1x).Name"}) {
    EXPECT_FALSE(read(name).has_value()) << name;
  }
}

// A server-side result of `total` rows named "row N", served in pages of at most `pageLimit`.
// It records what was asked, collected and given up.
struct ScriptedSearch : PageSource {
  ScriptedSearch(std::uint64_t t, std::uint32_t limit) : total(t), pageLimit(limit) {}

  std::uint64_t total;
  std::uint32_t pageLimit;
  bool failing = false;
  bool misplacing = false;  // answers every request with the first page
  std::vector<std::pair<std::uint64_t, std::uint32_t>> requests;  // by ticket - 1
  std::vector<std::uint32_t> collected;
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
    collected.push_back(ticket);
    if (failing) return std::nullopt;
    const auto& [offset, count] = requests.at(ticket - 1);
    return misplacing ? Page(0, count) : Page(offset, count);
  }
  void Abandon(std::uint32_t ticket) override { abandoned.push_back(ticket); }
};

std::string Current(const FindCursor& cursor) {
  const auto value = cursor.Property(cursor.position(), "Name");
  return value ? std::string(*value) : "<none>";
}

// Moves to the end; the number of moves made.
int WalkToTheEnd(FindCursor& cursor, PageSource& source) {
  int moves = 0;
  while (cursor.Next(source)) ++moves;
  return moves;
}

TEST(FindCursor, WalksEveryRowOnceAskingForEachPageAheadOnce) {
  for (const std::uint64_t total : {1ull, 999ull, 1000ull, 1001ull, 4500ull}) {
    SCOPED_TRACE(total);
    ScriptedSearch server(total, 1000);
    FindCursor cursor(server.Page(0, 1000));
    cursor.Prefetch(server);
    cursor.Prefetch(server);  // a second call asks for nothing more
    std::uint64_t seen = 1;
    EXPECT_EQ(Current(cursor), "row 0");
    while (cursor.Next(server)) EXPECT_EQ(Current(cursor), "row " + std::to_string(seen++));
    EXPECT_EQ(seen, total);
    EXPECT_EQ(cursor.total(), total);
    const std::size_t pagesAfterFirst = (total - 1) / 1000;
    EXPECT_EQ(server.requests.size(), pagesAfterFirst);
    EXPECT_EQ(server.collected.size(), pagesAfterFirst);
    EXPECT_TRUE(server.abandoned.empty());
    for (std::size_t i = 0; i < server.requests.size(); ++i) {
      EXPECT_EQ(server.requests[i].first, (i + 1) * 1000) << "asked for the page after";
    }
    EXPECT_EQ(Current(cursor), "row " + std::to_string(total - 1)) << "stays on the last row";
  }
}

TEST(FindCursor, ServerThatSendsShorterPagesIsFollowedToTheEnd) {
  ScriptedSearch server(250, 7);
  FindCursor cursor(server.Page(0, kFindPageRows));
  cursor.Prefetch(server);
  EXPECT_EQ(WalkToTheEnd(cursor, server), 249);
  for (const auto& [offset, count] : server.requests) EXPECT_EQ(offset % 7, 0u);
}

TEST(FindCursor, FailedFetchStopsWithoutMoving) {
  ScriptedSearch server(20, 10);
  FindCursor cursor(server.Page(0, 10));
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

TEST(FindCursor, TotalsThatDisagreeWithTheRowsEndTheWalkCleanly) {
  // The total promises more rows than the server delivers: the walk ends instead of looping.
  ScriptedSearch server(5, 5);
  auto first = server.Page(0, 5);
  first.set_total(100);
  FindCursor cursor(first);
  cursor.Prefetch(server);
  EXPECT_EQ(WalkToTheEnd(cursor, server), 4);
  EXPECT_EQ(server.requests.size(), 1u);

  // A total below the rows in hand does not hide them.
  first = server.Page(0, 3);
  first.set_total(1);
  FindCursor shortTotal(first);
  EXPECT_EQ(shortTotal.total(), 3u);
  EXPECT_EQ(WalkToTheEnd(shortTotal, server), 2);

  // A page that does not start where it was asked to.
  ScriptedSearch wrong(5, 2);
  wrong.misplacing = true;
  FindCursor misplaced(wrong.Page(0, 2));
  EXPECT_EQ(WalkToTheEnd(misplaced, wrong), 1);
  EXPECT_EQ(Current(misplaced), "row 1");
}

TEST(FindCursor, RewindRefetchesTheFirstPageOnlyWhenItIsGone) {
  ScriptedSearch server(30, 10);
  FindCursor cursor(server.Page(0, 10));
  cursor.Next(server);
  EXPECT_TRUE(cursor.Rewind(server));
  EXPECT_EQ(Current(cursor), "row 0");
  EXPECT_TRUE(server.requests.empty());

  for (int i = 0; i < 15; ++i) cursor.Next(server);
  EXPECT_EQ(Current(cursor), "row 15");
  const auto aheadTicket = static_cast<std::uint32_t>(server.requests.size());
  EXPECT_EQ(server.requests.back().first, 20u) << "the third page is asked for in advance";
  EXPECT_TRUE(cursor.Rewind(server));
  EXPECT_EQ(Current(cursor), "row 0");
  EXPECT_EQ(server.abandoned, std::vector<std::uint32_t>{aheadTicket});
  EXPECT_EQ(WalkToTheEnd(cursor, server), 29) << "the walk goes through every row again";
}

TEST(FindCursor, AbandonGivesUpThePageAskedForInAdvance) {
  ScriptedSearch server(30, 10);
  FindCursor cursor(server.Page(0, 10));
  cursor.Prefetch(server);
  cursor.Abandon(server);
  cursor.Abandon(server);  // nothing left to give up
  EXPECT_EQ(server.abandoned, std::vector<std::uint32_t>{1});
  EXPECT_TRUE(server.collected.empty());
}

}  // namespace
}  // namespace znapi::detail
