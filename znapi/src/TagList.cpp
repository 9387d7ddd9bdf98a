#include "TagList.h"

#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/stubs/common.h>  // IsStructurallyValidUTF8
#include <google/protobuf/wire_format_lite.h>

#include <limits>

#include "LastError.h"

namespace znapi::detail {

namespace {

using google::protobuf::internal::WireFormatLite;
using google::protobuf::io::CodedInputStream;

// ListReadReply.items is field 1; within an item, ok is field 1 and value field 2.
const std::uint32_t kItemTag =
    WireFormatLite::MakeTag(1, WireFormatLite::WIRETYPE_LENGTH_DELIMITED);
const std::uint32_t kOkTag = WireFormatLite::MakeTag(1, WireFormatLite::WIRETYPE_VARINT);
const std::uint32_t kValueTag =
    WireFormatLite::MakeTag(2, WireFormatLite::WIRETYPE_LENGTH_DELIMITED);

// Reads one ListItem of `length` bytes at the stream's position into `item`, whose offsets
// count from the start of the stream's bytes.
bool ReadItem(CodedInputStream& in, const char* bytes, std::uint32_t length, TagList::Item& item) {
  const auto limit = in.PushLimit(static_cast<int>(length));
  while (const std::uint32_t tag = in.ReadTag()) {
    if (tag == kOkTag) {
      std::uint64_t ok = 0;
      if (!in.ReadVarint64(&ok)) return false;
      item.ok = ok != 0;
    } else if (tag == kValueTag) {
      std::uint32_t size = 0;
      if (!in.ReadVarint32(&size)) return false;
      const int at = in.CurrentPosition();
      if (static_cast<int>(size) < 0 || !in.Skip(static_cast<int>(size))) return false;
      // A text that is not UTF-8 makes the whole reply malformed, as protobuf has it.
      if (!google::protobuf::internal::IsStructurallyValidUTF8(bytes + at,
                                                               static_cast<int>(size))) {
        return false;
      }
      item.offset = static_cast<std::uint32_t>(at);
      item.length = size;
    } else if (!WireFormatLite::SkipField(&in, tag)) {
      return false;
    }
  }
  if (!in.ConsumedEntireMessage()) return false;
  in.PopLimit(limit);
  return true;
}

}  // namespace

std::optional<std::vector<TagList::Item>> ListItems(std::string_view bytes) {
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
  CodedInputStream in(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                      static_cast<int>(bytes.size()));
  std::vector<TagList::Item> items;
  while (const std::uint32_t tag = in.ReadTag()) {
    if (tag == kItemTag) {
      std::uint32_t length = 0;
      if (!in.ReadVarint32(&length) ||
          length > bytes.size() - static_cast<std::size_t>(in.CurrentPosition()) ||
          !ReadItem(in, bytes.data(), length, items.emplace_back())) {
        return std::nullopt;
      }
    } else if (!WireFormatLite::SkipField(&in, tag)) {
      return std::nullopt;
    }
  }
  if (!in.ConsumedEntireMessage()) return std::nullopt;
  return items;
}

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
  auto items = ListItems(reply.list_read());
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
