#include "FindCursor.h"

#include <algorithm>

namespace znapi::detail {

FindCursor::FindCursor(znwire::FindPage first)
    : serverSearch_(first.search()),
      columns_(std::vector<std::string>(first.columns().begin(), first.columns().end())),
      page_(std::move(first)) {
  position_ = page_.offset();
  // A total smaller than the rows in hand would end the walk before its own rows.
  total_ = std::max<std::uint64_t>(page_.total(), page_.offset() + page_.rows_size());
}

bool FindCursor::Next(const FetchPage& fetch) {
  if (position_ + 1 >= total_) return false;
  return MoveTo(position_ + 1, fetch);
}

bool FindCursor::Rewind(const FetchPage& fetch) {
  return MoveTo(0, fetch);
}

bool FindCursor::MoveTo(std::uint64_t row, const FetchPage& fetch) {
  const std::uint64_t first = page_.offset();
  if (row >= first && row - first < static_cast<std::uint64_t>(page_.rows_size())) {
    position_ = row;
    return true;
  }
  auto page = fetch(row, kFindPageRows);
  if (!page || page->offset() != row || page->rows_size() == 0) return false;
  page_ = std::move(*page);
  position_ = row;
  return true;
}

std::optional<std::string_view> FindCursor::Property(std::uint64_t row,
                                                     std::string_view name) const {
  const std::uint64_t first = page_.offset();
  if (row != position_ || row < first ||
      row - first >= static_cast<std::uint64_t>(page_.rows_size())) {
    return std::nullopt;
  }
  return ReadRecordProperty(columns_, page_.rows(static_cast<int>(row - first)), name);
}

}  // namespace znapi::detail
