#include "ListReadRequest.h"

#include <google/protobuf/io/coded_stream.h>

#include <limits>

#include "Utf8.h"
#include "WireFormat.h"
#include "znwire.pb.h"

namespace znwire {

namespace {

using google::protobuf::io::CodedInputStream;

constexpr std::uint32_t kIdTag = FieldKey(Request::kIdFieldNumber, WireType::Varint);
constexpr std::uint32_t kListReadTag = FieldKey(Request::kListReadFieldNumber, WireType::Delimited);
constexpr std::uint32_t kTagsTag = FieldKey(ListRead::kTagsFieldNumber, WireType::Delimited);

CodedInputStream Input(std::string_view bytes) {
  return CodedInputStream(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                          static_cast<int>(bytes.size()));
}

// The bytes of the length-delimited field whose length is next in `in`, which moves past it.
std::optional<std::string_view> Delimited(CodedInputStream& in, std::string_view bytes) {
  std::uint32_t length = 0;
  if (!in.ReadVarint32(&length)) return std::nullopt;
  const int at = in.CurrentPosition();
  if (length > bytes.size() - static_cast<std::size_t>(at) || !in.Skip(static_cast<int>(length))) {
    return std::nullopt;
  }
  return bytes.substr(static_cast<std::size_t>(at), length);
}

}  // namespace

std::optional<ListReadRequest> ListReadRequest::Parse(std::string_view body) {
  if (body.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
  ListReadRequest request;
  bool listRead = false;
  auto in = Input(body);
  while (const std::uint32_t tag = in.ReadTag()) {
    if (tag == kIdTag) {
      std::uint64_t id = 0;
      if (!in.ReadVarint64(&id)) return std::nullopt;
      request.id_ = static_cast<std::uint32_t>(id);  // as protobuf reads a uint32
    } else if (tag == kListReadTag && !listRead) {
      const auto tags = Delimited(in, body);
      if (!tags) return std::nullopt;
      request.tags_ = *tags;
      listRead = true;
    } else {
      return std::nullopt;
    }
  }
  if (!listRead || !in.ConsumedEntireMessage()) return std::nullopt;
  auto tags = Input(request.tags_);
  for (int at = 0; const std::uint32_t tag = tags.ReadTag(); at = tags.CurrentPosition()) {
    // The walk takes a tag to be one byte, as protobuf writes it.
    if (tag != kTagsTag || tags.CurrentPosition() != at + 1) return std::nullopt;
    const auto name = Delimited(tags, request.tags_);
    if (!name || !codepage::IsUtf8(*name)) return std::nullopt;
    ++request.count_;
  }
  if (!tags.ConsumedEntireMessage()) return std::nullopt;
  return request;
}

void ListReadRequest::Iterator::Next() {
  if (rest_.empty()) {
    at_ = nullptr;
    return;
  }
  // Every field was checked by Parse: a one-byte tag, the name's length, the name.
  at_ = rest_.data();
  std::size_t start = 1;
  std::uint64_t length = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<std::uint8_t>(rest_[start++]);
    if (shift < 64) length |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if (byte < 0x80) break;
  }
  const auto size = static_cast<std::uint32_t>(length);  // as protobuf reads a length
  tag_ = rest_.substr(start, size);
  rest_.remove_prefix(start + size);
}

}  // namespace znwire
