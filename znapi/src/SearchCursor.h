#pragma once
/// The client side of one search: the page of rows in hand, the current row, and the paging
/// that asks for the next page as soon as a page arrives, so that the server prepares it
/// while the caller walks the current one. Later pages carry only the columns the caller has
/// read so far: a walk that reads one field of each row does not fetch the others.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "ArenaResponse.h"
#include "RecordProperty.h"

namespace znapi::detail {

/// Rows asked per round trip: large enough that walking a big table takes few round trips,
/// small enough that a page stays well under the frame limit.
inline constexpr std::uint32_t kFindPageRows = 2000;

/// Where pages come from: asked for first, collected later.
class PageSource {
 public:
  virtual ~PageSource() = default;
  /// Asks for `count` rows from row `offset`, with the values of `columns` only (all when
  /// empty), without waiting; 0 when it cannot be asked.
  virtual std::uint32_t Request(std::uint64_t offset, std::uint32_t count,
                                const std::vector<std::uint32_t>& columns) = 0;
  /// The reply holding the page asked for under `ticket`; nullopt on failure.
  virtual std::optional<ArenaResponse> Collect(std::uint32_t ticket) = 0;
  /// The page asked for under `ticket` will not be collected.
  virtual void Abandon(std::uint32_t ticket) = 0;
};

class SearchCursor {
 public:
  /// Starts on the first row of `first`, the reply to the search's first request.
  explicit SearchCursor(ArenaResponse first);

  /// Whether there is no row to stand on; such a search is of no use to a caller.
  bool empty() const { return page().rows_size() == 0; }
  std::uint64_t serverSearch() const { return serverSearch_; }
  std::uint64_t total() const { return total_; }
  std::uint64_t position() const { return position_; }

  /// Asks for the page after the one in hand unless it is already asked for or there is none.
  void Prefetch(PageSource& source);
  /// Moves to the next row. False, without moving, at the end or when a fetch fails or
  /// returns a page that does not start where it was asked to.
  bool Next(PageSource& source);
  /// Moves back to the first row; false, without moving, when the fetch fails.
  bool Rewind(PageSource& source);
  /// Gives up a page asked for in advance; call before the search ends.
  void Abandon(PageSource& source);

  /// Property `name` of the current row. A column that the page in hand does not carry is
  /// fetched with the page again, and with every later page.
  std::optional<std::string_view> Property(std::string_view name, PageSource& source);

 private:
  struct Pending {
    std::uint64_t offset = 0;
    std::uint32_t ticket = 0;
  };
  const znwire::FindPage& page() const { return page_->find_page(); }
  bool MoveTo(std::uint64_t row, PageSource& source);
  std::optional<ArenaResponse> PageAt(std::uint64_t row, PageSource& source);
  /// Makes `reply` the page in hand when it starts at `row` and holds it.
  bool Accept(std::optional<ArenaResponse> reply, std::uint64_t row);
  /// Where each column's value sits in the rows of the page in hand, -1 where it is absent.
  void MapColumns();

  std::uint64_t serverSearch_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t position_ = 0;
  ColumnSet columns_;
  ArenaResponse page_;
  std::vector<int> slots_;             // by column: index into a row's values, or -1
  std::vector<std::uint32_t> wanted_;  // the columns read so far, ascending
  std::optional<Pending> pending_;
};

}  // namespace znapi::detail
