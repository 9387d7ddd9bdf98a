#include "TagList.h"

#include "LastError.h"

namespace znapi::detail {

TagList::TagList(std::shared_ptr<ServerConnection> connection)
    : connection_(std::move(connection)),
      request_(google::protobuf::Arena::CreateMessage<znwire::Request>(&arena_)) {
  request_->mutable_list_read();  // a list with no tags still reads as a list
}

std::size_t TagList::Add(std::string tag) {
  auto* tags = request_->mutable_list_read()->mutable_tags();
  tags->Add(std::move(tag));
  return static_cast<std::size_t>(tags->size()) - 1;
}

bool TagList::Store(znwire::ListReadResponse reply) {
  items_.clear();
  auto items = znwire::ReadListItems(reply.list_read());
  if (!items) {
    SetReason("malformed reply from the server");
    return false;
  }
  if (items->size() != size()) {
    SetReason("the server answered " + std::to_string(items->size()) + " values for " +
              std::to_string(size()) + " tags");
    return false;
  }
  reply_ = std::move(reply);
  items_ = std::move(*items);
  read_ = Read::Done;
  return true;
}

std::optional<std::string_view> TagList::Value(std::size_t index) const {
  if (index >= items_.size() || !items_[index].ok) return std::nullopt;
  return std::string_view(reply_.list_read()).substr(items_[index].offset, items_[index].length);
}

std::string TagList::NoValue(std::size_t index) const {
  const std::string& tag = request_->list_read().tags().at(static_cast<int>(index));
  switch (read_) {
    case Read::Never:
      return "the list has not been read yet";
    case Read::Failed:
      return "the list's last read failed";
    case Read::Done:
      break;
  }
  if (index >= items_.size()) return "tag '" + tag + "' was added after the last read";
  return "the server could not read tag '" + tag + "'";
}

}  // namespace znapi::detail
