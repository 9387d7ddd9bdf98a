#include "ListReplyWriter.h"

#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/wire_format_lite.h>

#include <cstdint>

namespace znsim {

namespace {

using google::protobuf::internal::WireFormatLite;
using google::protobuf::io::CodedOutputStream;

// ListReadReply.items is field 1; within an item, ok is field 1 and value field 2.
const std::uint8_t kItemTag = static_cast<std::uint8_t>(
    WireFormatLite::MakeTag(1, WireFormatLite::WIRETYPE_LENGTH_DELIMITED));
const std::uint8_t kOkTag =
    static_cast<std::uint8_t>(WireFormatLite::MakeTag(1, WireFormatLite::WIRETYPE_VARINT));
const std::uint8_t kValueTag = static_cast<std::uint8_t>(
    WireFormatLite::MakeTag(2, WireFormatLite::WIRETYPE_LENGTH_DELIMITED));

// Values are a few bytes: an item with its tags and lengths takes about a dozen.
constexpr std::size_t kUsualItemBytes = 12;

void AppendVarint(std::string& bytes, std::size_t value) {
  std::uint8_t head[5];
  const auto* end =
      CodedOutputStream::WriteVarint32ToArray(static_cast<std::uint32_t>(value), head);
  bytes.append(reinterpret_cast<const char*>(head), static_cast<std::size_t>(end - head));
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
    if (!value->empty()) {
      itemSize += 1 + CodedOutputStream::VarintSize32(static_cast<std::uint32_t>(value->size())) +
                  value->size();
    }
  }
  const std::size_t total =
      1 + CodedOutputStream::VarintSize32(static_cast<std::uint32_t>(itemSize)) + itemSize;
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

}  // namespace znsim
