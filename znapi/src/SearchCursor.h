#pragma once
/// The client side of one search: the page of rows in hand, the current row, and the paging
/// that asks for the next page as soon as a page arrives, so that the server prepares it
/// while the caller walks the current one.
#include <cstdint>
#include <optional>

#include "RecordProperty.h"
#include "znwire.pb.h"

namespace znapi::detail {

/// Rows asked per round trip: large enough that walking a big table takes few round trips,
/// small enough that a page stays well under the frame limit.
inline constexpr std::uint32_t kFindPageRows = 2000;

/// Where pages come from: asked for first, collected later.
class PageSource {
 public:
  virtual ~PageSource() = default;
  /// Asks for `count` rows from row `offset` without waiting; 0 when it cannot be asked.
  virtual std::uint32_t Request(std::uint64_t offset, std::uint32_t count) = 0;
  /// The page asked for under `ticket`; nullopt on failure.
  virtual std::optional<znwire::FindPage> Collect(std::uint32_t ticket) = 0;
  /// The page asked for under `ticket` will not be collected.
  virtual void Abandon(std::uint32_t ticket) = 0;
};

class SearchCursor {
 public:
  /// Starts on the first row of `first`, the reply to the search's first request.
  explicit SearchCursor(znwire::FindPage first);

  /// Whether there is no row to stand on; such a search is of no use to a caller.
  bool empty() const { return page_.rows_size() == 0; }
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

  /// Property `name` of row `row`, which must be the current row.
  std::optional<std::string_view> Property(std::uint64_t row, std::string_view name) const;

 private:
  struct Pending {
    std::uint64_t offset = 0;
    std::uint32_t ticket = 0;
  };
  bool MoveTo(std::uint64_t row, PageSource& source);
  std::optional<znwire::FindPage> PageAt(std::uint64_t row, PageSource& source);

  std::uint64_t serverSearch_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t position_ = 0;
  ColumnSet columns_;
  znwire::FindPage page_;
  std::optional<Pending> pending_;
};

}  // namespace znapi::detail
