#include "TagList.h"

#include "LastError.h"

namespace znapi::detail {

std::size_t TagList::Add(std::string tag) {
  auto* tags = request_.mutable_list_read()->mutable_tags();
  tags->Add(std::move(tag));
  return static_cast<std::size_t>(tags->size()) - 1;
}

bool TagList::Store(ArenaResponse reply) {
  reply_.reset();
  const int items = reply->list_read().items_size();
  if (static_cast<std::size_t>(items) != size()) {
    SetReason("the server answered " + std::to_string(items) + " values for " +
              std::to_string(size()) + " tags");
    return false;
  }
  reply_ = std::move(reply);
  read_ = Read::Done;
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

std::string TagList::NoValue(std::size_t index) const {
  const std::string& tag = request_.list_read().tags().at(static_cast<int>(index));
  switch (read_) {
    case Read::Never:
      return "the list has not been read yet";
    case Read::Failed:
      return "the list's last read failed";
    case Read::Done:
      break;
  }
  if (index >= static_cast<std::size_t>((*reply_)->list_read().items_size())) {
    return "tag '" + tag + "' was added after the last read";
  }
  return "the server could not read tag '" + tag + "'";
}

}  // namespace znapi::detail
