#include "TagList.h"

namespace znapi::detail {

std::size_t TagList::Add(std::string tag) {
  tags_.push_back(std::move(tag));
  return tags_.size() - 1;
}

znwire::ListRead TagList::ReadRequest() const {
  znwire::ListRead request;
  request.mutable_tags()->Reserve(static_cast<int>(tags_.size()));
  for (const auto& tag : tags_) request.add_tags(tag);
  return request;
}

bool TagList::Store(const znwire::ListReadReply& reply) {
  values_.clear();
  if (static_cast<std::size_t>(reply.items_size()) != tags_.size()) return false;
  values_.reserve(tags_.size());
  for (const auto& item : reply.items()) {
    if (item.ok()) {
      values_.emplace_back(item.value());
    } else {
      values_.emplace_back(std::nullopt);
    }
  }
  return true;
}

std::optional<std::string_view> TagList::Value(std::size_t index) const {
  if (index >= values_.size() || !values_[index]) return std::nullopt;
  return *values_[index];
}

}  // namespace znapi::detail
