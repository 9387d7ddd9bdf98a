#include "TagList.h"

namespace znapi::detail {

std::size_t TagList::Add(std::string tag) {
  auto* tags = request_.mutable_list_read()->mutable_tags();
  tags->Add(std::move(tag));
  return static_cast<std::size_t>(tags->size()) - 1;
}

bool TagList::Store(ArenaResponse reply) {
  reply_.reset();
  if (static_cast<std::size_t>(reply->list_read().items_size()) != size()) return false;
  reply_ = std::move(reply);
  return true;
}

std::optional<std::string_view> TagList::Value(std::size_t index) const {
  if (!reply_) return std::nullopt;
  const auto& items = (*reply_)->list_read().items();
  if (index >= static_cast<std::size_t>(items.size())) return std::nullopt;
  const auto& item = items[static_cast<int>(index)];
  if (!item.ok()) return std::nullopt;
  return item.value();
}

}  // namespace znapi::detail
