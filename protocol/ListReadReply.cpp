#include "ListReadReply.h"

#include <google/protobuf/io/coded_stream.h>

#include <algorithm>
#include <limits>

#include "Utf8.h"
#include "WireFormat.h"
#include "znwire.pb.h"

namespace znwire {

namespace {

using google::protobuf::io::CodedInputStream;

constexpr std::uint32_t kItemTag = FieldKey(ListReadReply::kItemsFieldNumber, WireType::Delimited);
constexpr std::uint32_t kOkTag = FieldKey(ListItem::kOkFieldNumber, WireType::Varint);
constexpr std::uint32_t kValueTag = FieldKey(ListItem::kValueFieldNumber, WireType::Delimited);
static_assert(kItemTag < 0x80 && kOkTag < 0x80 && kValueTag < 0x80, "one-byte keys");

// Values are a few bytes: an item with its keys and lengths takes about a dozen.
constexpr std::size_t kUsualItemBytes = 12;

// Reads one ListItem of `length` bytes at the stream's position into `item`, whose offsets
// count from the start of the stream's bytes.
bool ReadItem(CodedInputStream& in, const char* bytes, std::uint32_t length, ListItemPlace& item) {
  const auto limit = in.PushLimit(static_cast<int>(length));
  while (const std::uint32_t key = in.ReadTag()) {
    if (key == kOkTag) {
      std::uint64_t ok = 0;
      if (!in.ReadVarint64(&ok)) return false;
      item.ok = ok != 0;
    } else if (key == kValueTag) {
      std::uint32_t size = 0;
      if (!in.ReadVarint32(&size)) return false;
      const int at = in.CurrentPosition();
      if (static_cast<int>(size) < 0 || !in.Skip(static_cast<int>(size))) return false;
      // A text that is not UTF-8 makes the whole reply malformed, as protobuf has it.
      if (!codepage::IsUtf8(std::string_view(bytes + at, size))) return false;
      item.offset = static_cast<std::uint32_t>(at);
      item.length = size;
    } else if (!SkipField(in, key)) {
      return false;
    }
  }
  if (!in.ConsumedEntireMessage()) return false;
  in.PopLimit(limit);
  return true;
}

}  // namespace

ListReplyWriter::ListReplyWriter(std::size_t items, std::size_t byteLimit) : byteLimit_(byteLimit) {
  bytes_.reserve(std::min(items * kUsualItemBytes, byteLimit));
}

bool ListReplyWriter::Add(const std::optional<std::string>& value) {
  // What protobuf writes: a failed item is empty (ok false, no value), an empty value is
  // left out.
  std::size_t itemSize = 0;
  if (value) {
    itemSize = 2;
    if (!value->empty()) itemSize += 1 + VarintSize(value->size()) + value->size();
  }
  const std::size_t total = 1 + VarintSize(itemSize) + itemSize;
  if (bytes_.size() + total > byteLimit_) return false;
  bytes_.push_back(static_cast<char>(kItemTag));
  AppendVarint(bytes_, itemSize);
  if (!value) return true;
  bytes_.push_back(static_cast<char>(kOkTag));
  bytes_.push_back(1);
  if (value->empty()) return true;
  bytes_.push_back(static_cast<char>(kValueTag));
  AppendVarint(bytes_, value->size());
  bytes_ += *value;
  return true;
}

std::optional<std::vector<ListItemPlace>> ReadListItems(std::string_view bytes) {
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
  CodedInputStream in(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                      static_cast<int>(bytes.size()));
  std::vector<ListItemPlace> items;
  while (const std::uint32_t key = in.ReadTag()) {
    if (key == kItemTag) {
      std::uint32_t length = 0;
      if (!in.ReadVarint32(&length) ||
          length > bytes.size() - static_cast<std::size_t>(in.CurrentPosition()) ||
          !ReadItem(in, bytes.data(), length, items.emplace_back())) {
        return std::nullopt;
      }
    } else if (!SkipField(in, key)) {
      return std::nullopt;
    }
  }
  if (!in.ConsumedEntireMessage()) return std::nullopt;
  return items;
}

}  // namespace znwire
