#include "TagList.h"

#include "LastError.h"

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
  if (static_cast<std::size_t>(reply.items_size()) != tags_.size()) {
    SetReason("the server answered " + std::to_string(reply.items_size()) + " values for " +
              std::to_string(tags_.size()) + " tags");
    return false;
  }
  values_.reserve(tags_.size());
  read_ = Read::Done;
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

std::string TagList::NoValue(std::size_t index) const {
  const std::string& tag = tags_.at(index);
  switch (read_) {
    case Read::Never:
      return "the list has not been read yet";
    case Read::Failed:
      return "the list's last read failed";
    case Read::Done:
      break;
  }
  if (index >= values_.size()) return "tag '" + tag + "' was added after the last read";
  return "the server could not read tag '" + tag + "'";
}

}  // namespace znapi::detail
