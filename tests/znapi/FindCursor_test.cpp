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
  const auto row = MakeRow({"PUMP_1", "Digital", "", "Main pump"});
  struct Case {
    const char* name;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"Tag", "PUMP_1"},
      {"tag", "PUMP_1"},
      {"COMMENT", "Main pump"},
      {"Units", ""},
      {"object.fields.Count", "4"},
      {"Object.Fields.count", "4"},
      {"object.fields(1).Name", "Tag"},
      {"object.fields(4).Name", "Comment"},
      {"OBJECT.FIELDS(2).NAME", "Type"},
      {"object.fields(0).Name", std::nullopt},
      {"object.fields(5).Name", std::nullopt},
      {"object.fields(-1).Name", std::nullopt},
      {"object.fields().Name", std::nullopt},
      {"object.fields(1x).Name", std::nullopt},
      {"Missing", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto got = ReadRecordProperty(columns, row, c.name);
    if (c.expected) {
      ASSERT_TRUE(got.has_value()) << c.name;
      EXPECT_EQ(std::string(*got), *c.expected) << c.name;
    } else {
      EXPECT_FALSE(got.has_value()) << c.name;
    }
  }
}

TEST(ReadRecordProperty, ShortRowLacksTheTrailingFields) {
  const ColumnSet columns({"A", "B"});
  const auto row = MakeRow({"only"});
  EXPECT_EQ(ReadRecordProperty(columns, row, "A"), "only");
  EXPECT_FALSE(ReadRecordProperty(columns, row, "B").has_value());
}

// A server-side result of `total` rows named "row N", served in pages of at most `pageLimit`.
// It records what was asked, collected and given up.
struct ScriptedSearch : PageSource {
  ScriptedSearch(std::uint64_t t, std::uint32_t limit) : total(t), pageLimit(limit) {}

  std::uint64_t total;
  std::uint32_t pageLimit;
  bool failing = false;
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
    return Page(offset, count);
  }
  void Abandon(std::uint32_t ticket) override { abandoned.push_back(ticket); }
};

std::string Current(const FindCursor& cursor) {
  const auto value = cursor.Property(cursor.position(), "Name");
  return value ? std::string(*value) : "<none>";
}

TEST(FindCursor, WalksEveryRowOnceAskingForEachPageAheadOnce) {
  for (const std::uint64_t total : {1ull, 999ull, 1000ull, 1001ull, 4500ull}) {
    ScriptedSearch server(total, 1000);
    FindCursor cursor(server.Page(0, 1000));
    cursor.Prefetch(server);
    cursor.Prefetch(server);  // a second call asks for nothing more
    std::uint64_t seen = 1;
    EXPECT_EQ(Current(cursor), "row 0");
    while (cursor.Next(server)) {
      EXPECT_EQ(Current(cursor), "row " + std::to_string(seen));
      ++seen;
    }
    EXPECT_EQ(seen, total);
    EXPECT_EQ(cursor.total(), total);
    const std::size_t pagesAfterFirst = (total - 1) / 1000;
    EXPECT_EQ(server.requests.size(), pagesAfterFirst) << "total " << total;
    EXPECT_EQ(server.collected.size(), pagesAfterFirst) << "total " << total;
    EXPECT_TRUE(server.abandoned.empty());
    for (std::size_t i = 0; i < server.requests.size(); ++i) {
      EXPECT_EQ(server.requests[i].first, (i + 1) * 1000) << "asked for the page after";
    }
    // At the end the cursor stays on the last row.
    EXPECT_EQ(Current(cursor), "row " + std::to_string(total - 1));
  }
}

TEST(FindCursor, ServerThatSendsShorterPagesIsFollowedToTheEnd) {
  ScriptedSearch server(250, 7);
  FindCursor cursor(server.Page(0, kFindPageRows));
  cursor.Prefetch(server);
  std::uint64_t seen = 1;
  while (cursor.Next(server)) ++seen;
  EXPECT_EQ(seen, 250u);
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

TEST(FindCursor, PageThatIsEmptyOrMisplacedEndsTheWalk) {
  // The total promises more rows than the server delivers: the walk ends instead of looping.
  ScriptedSearch server(5, 5);
  auto first = server.Page(0, 5);
  first.set_total(100);
  FindCursor cursor(first);
  cursor.Prefetch(server);
  int moves = 0;
  while (cursor.Next(server)) ++moves;
  EXPECT_EQ(moves, 4);
  EXPECT_EQ(server.requests.size(), 1u);

  // A source that answers every request with the first page.
  struct Misplacing : ScriptedSearch {
    using ScriptedSearch::ScriptedSearch;
    std::optional<znwire::FindPage> Collect(std::uint32_t) override { return Page(0, 2); }
  } wrong(5, 5);
  FindCursor misplaced(wrong.Page(0, 2));
  EXPECT_TRUE(misplaced.Next(wrong));
  EXPECT_FALSE(misplaced.Next(wrong));
  EXPECT_EQ(Current(misplaced), "row 1");
}

TEST(FindCursor, TotalBelowTheRowsInHandDoesNotHideThem) {
  ScriptedSearch server(3, 3);
  auto first = server.Page(0, 3);
  first.set_total(1);
  FindCursor cursor(first);
  EXPECT_EQ(cursor.total(), 3u);
  EXPECT_TRUE(cursor.Next(server));
  EXPECT_TRUE(cursor.Next(server));
  EXPECT_FALSE(cursor.Next(server));
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
  const std::uint32_t aheadTicket = static_cast<std::uint32_t>(server.requests.size());
  EXPECT_EQ(server.requests.back().first, 20u) << "the third page is asked for in advance";
  EXPECT_TRUE(cursor.Rewind(server));
  EXPECT_EQ(Current(cursor), "row 0");
  EXPECT_EQ(server.abandoned, std::vector<std::uint32_t>{aheadTicket});
  // After the rewind the walk goes through every row again.
  int moves = 0;
  while (cursor.Next(server)) ++moves;
  EXPECT_EQ(moves, 29);
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

TEST(FindCursor, OnlyTheCurrentRowAnswers) {
  ScriptedSearch server(10, 10);
  FindCursor cursor(server.Page(0, 10));
  cursor.Next(server);
  EXPECT_FALSE(cursor.Property(0, "Name").has_value());
  EXPECT_EQ(cursor.Property(1, "Name"), "row 1");
}

TEST(FindCursor, EmptyResultIsEmpty) {
  znwire::FindPage page;
  EXPECT_TRUE(FindCursor(page).empty());
  ScriptedSearch server(0, 10);
  EXPECT_TRUE(FindCursor(server.Page(0, 10)).empty());
}

}  // namespace
}  // namespace znapi::detail
