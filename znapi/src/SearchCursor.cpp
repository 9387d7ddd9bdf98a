#include "SearchCursor.h"

#include <algorithm>

#include "LastError.h"

namespace znapi::detail {

SearchCursor::SearchCursor(znwire::FindPage first)
    : serverSearch_(first.search()),
      columns_(std::vector<std::string>(first.columns().begin(), first.columns().end())),
      page_(std::move(first)) {
  position_ = page_.offset();
  // A total smaller than the rows in hand would end the walk before its own rows.
  total_ = std::max<std::uint64_t>(page_.total(), page_.offset() + page_.rows_size());
}

void SearchCursor::Prefetch(PageSource& source) {
  const std::uint64_t end = page_.offset() + static_cast<std::uint64_t>(page_.rows_size());
  if (pending_ || page_.rows_size() == 0 || end >= total_) return;
  if (const std::uint32_t ticket = source.Request(end, kFindPageRows)) {
    pending_ = Pending{end, ticket};
  }
}

bool SearchCursor::Next(PageSource& source) {
  if (position_ + 1 >= total_) {
    SetReason("no more records");
    return false;
  }
  return MoveTo(position_ + 1, source);
}

bool SearchCursor::Rewind(PageSource& source) {
  return MoveTo(0, source);
}

void SearchCursor::Abandon(PageSource& source) {
  if (pending_) source.Abandon(pending_->ticket);
  pending_.reset();
}

bool SearchCursor::MoveTo(std::uint64_t row, PageSource& source) {
  const std::uint64_t first = page_.offset();
  if (row >= first && row - first < static_cast<std::uint64_t>(page_.rows_size())) {
    position_ = row;
    return true;
  }
  auto page = PageAt(row, source);
  if (!page) return false;
  if (page->offset() != row || page->rows_size() == 0) {
    SetReason("the server sent other rows than those asked for");
    return false;
  }
  page_ = std::move(*page);
  position_ = row;
  Prefetch(source);
  return true;
}

std::optional<znwire::FindPage> SearchCursor::PageAt(std::uint64_t row, PageSource& source) {
  if (pending_ && pending_->offset == row) {
    const std::uint32_t ticket = pending_->ticket;
    pending_.reset();
    return source.Collect(ticket);
  }
  Abandon(source);
  const std::uint32_t ticket = source.Request(row, kFindPageRows);
  if (ticket == 0) return std::nullopt;
  return source.Collect(ticket);
}

std::optional<std::string_view> SearchCursor::Property(std::uint64_t row,
                                                       std::string_view name) const {
  const std::uint64_t first = page_.offset();
  if (row != position_ || row < first ||
      row - first >= static_cast<std::uint64_t>(page_.rows_size())) {
    return std::nullopt;
  }
  return ReadRecordProperty(columns_, page_.rows(static_cast<int>(row - first)), name);
}

}  // namespace znapi::detail
