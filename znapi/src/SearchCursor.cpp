#include "SearchCursor.h"

#include <algorithm>

#include "LastError.h"
#include "znapi.h"  // ZNAPI_REASON_NO_MORE_RECORDS

namespace znapi::detail {

SearchCursor::SearchCursor(ArenaResponse first)
    : serverSearch_(first->find_page().search()),
      columns_(std::vector<std::string>(first->find_page().columns().begin(),
                                        first->find_page().columns().end())),
      page_(std::move(first)) {
  position_ = page().offset();
  // A total smaller than the rows in hand would end the walk before its own rows.
  total_ = std::max<std::uint64_t>(page().total(), page().offset() + page().rows_size());
  MapColumns();
}

void SearchCursor::MapColumns() {
  slots_.assign(columns_.size(), -1);
  const auto& present = page().present();
  if (present.empty()) {
    for (std::size_t i = 0; i < slots_.size(); ++i) slots_[i] = static_cast<int>(i);
    return;
  }
  for (int i = 0; i < present.size(); ++i) {
    if (present[i] < slots_.size() && slots_[present[i]] < 0) slots_[present[i]] = i;
  }
}

void SearchCursor::Prefetch(PageSource& source) {
  const std::uint64_t end = page().offset() + static_cast<std::uint64_t>(page().rows_size());
  if (pending_ || page().rows_size() == 0 || end >= total_) return;
  if (const std::uint32_t ticket = source.Request(end, kFindPageRows, wanted_)) {
    pending_ = Pending{end, ticket};
  }
}

bool SearchCursor::Next(PageSource& source) {
  if (position_ + 1 >= total_) {
    SetReason(ZNAPI_REASON_NO_MORE_RECORDS);
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
  const std::uint64_t first = page().offset();
  if (row >= first && row - first < static_cast<std::uint64_t>(page().rows_size())) {
    position_ = row;
    return true;
  }
  if (!Accept(PageAt(row, source), row)) return false;
  position_ = row;
  Prefetch(source);
  return true;
}

bool SearchCursor::Accept(std::optional<ArenaResponse> reply, std::uint64_t row) {
  if (!reply) return false;
  const auto& page = (*reply)->find_page();
  if (page.offset() != row || page.rows_size() == 0) {
    SetReason("the server sent other rows than those asked for");
    return false;
  }
  page_ = std::move(*reply);
  MapColumns();
  return true;
}

std::optional<ArenaResponse> SearchCursor::PageAt(std::uint64_t row, PageSource& source) {
  if (pending_ && pending_->offset == row) {
    const std::uint32_t ticket = pending_->ticket;
    pending_.reset();
    return source.Collect(ticket);
  }
  Abandon(source);
  const std::uint32_t ticket = source.Request(row, kFindPageRows, wanted_);
  if (ticket == 0) return std::nullopt;
  return source.Collect(ticket);
}

std::optional<std::string_view> SearchCursor::Property(std::string_view name, PageSource& source) {
  const auto lookup = LookUpProperty(columns_, name);
  if (lookup.text) return lookup.text;
  if (!lookup.column) return std::nullopt;
  const std::size_t column = *lookup.column;
  const auto at = std::lower_bound(wanted_.begin(), wanted_.end(), column);
  if (at == wanted_.end() || *at != column) wanted_.insert(at, static_cast<std::uint32_t>(column));
  if (slots_[column] < 0) {
    // Fetched again, with the page asked for in advance, which lacks the column too.
    const std::uint64_t first = page().offset();
    Abandon(source);
    if (!Accept(PageAt(first, source), first)) return std::nullopt;
    Prefetch(source);
    if (slots_[column] < 0) return std::nullopt;
  }
  const std::uint64_t index = position_ - page().offset();
  if (index >= static_cast<std::uint64_t>(page().rows_size())) return std::nullopt;
  const auto& row = page().rows(static_cast<int>(index));
  if (slots_[column] >= row.values_size()) return std::nullopt;
  return row.values(slots_[column]);
}

}  // namespace znapi::detail
