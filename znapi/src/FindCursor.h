#pragma once
/// The client side of one search: the page of rows in hand, the current row and the paging
/// that fetches the next page only when the current one is used up.
#include <cstdint>
#include <functional>
#include <optional>

#include "RecordProperty.h"
#include "znwire.pb.h"

namespace znapi::detail {

/// Rows asked per round trip: large enough that walking a big table takes few round trips,
/// small enough that a page stays well under the frame limit.
inline constexpr std::uint32_t kFindPageRows = 2000;

class FindCursor {
 public:
  /// Fetches `count` rows of the server's search from row `offset`; nullopt on failure.
  using FetchPage =
      std::function<std::optional<znwire::FindPage>(std::uint64_t offset, std::uint32_t count)>;

  /// Starts on the first row of `first`, the reply to the search's first request.
  explicit FindCursor(znwire::FindPage first);

  /// Whether there is no row to stand on; such a search is of no use to a caller.
  bool empty() const { return page_.rows_size() == 0; }
  std::uint64_t serverSearch() const { return serverSearch_; }
  std::uint64_t total() const { return total_; }
  std::uint64_t position() const { return position_; }

  /// Moves to the next row. False, without moving, at the end or when a fetch fails or
  /// returns a page that does not start where it was asked to.
  bool Next(const FetchPage& fetch);
  /// Moves back to the first row; false, without moving, when the fetch fails.
  bool Rewind(const FetchPage& fetch);

  /// Property `name` of row `row`, which must be the current row.
  std::optional<std::string_view> Property(std::uint64_t row, std::string_view name) const;

 private:
  bool MoveTo(std::uint64_t row, const FetchPage& fetch);

  std::uint64_t serverSearch_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t position_ = 0;
  ColumnSet columns_;
  znwire::FindPage page_;
};

}  // namespace znapi::detail
