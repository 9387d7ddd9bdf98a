#include "PageWriter.h"

#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/wire_format_lite.h>

#include <algorithm>

namespace znsim {

namespace {

using google::protobuf::internal::WireFormatLite;
using google::protobuf::io::CodedOutputStream;

// FindPage.rows is field 5, Row.values field 1, both length-delimited.
const std::uint8_t kRowTag = static_cast<std::uint8_t>(
    WireFormatLite::MakeTag(5, WireFormatLite::WIRETYPE_LENGTH_DELIMITED));
const std::uint8_t kValueTag = static_cast<std::uint8_t>(
    WireFormatLite::MakeTag(1, WireFormatLite::WIRETYPE_LENGTH_DELIMITED));

std::size_t FieldSize(std::size_t length) {
  return 1 + CodedOutputStream::VarintSize32(static_cast<std::uint32_t>(length)) + length;
}

std::string_view View(std::string_view value) {
  return value;
}

}  // namespace

PageWriter::PageWriter(std::size_t columns,
                       const google::protobuf::RepeatedField<std::uint32_t>& wanted,
                       std::size_t byteLimit)
    : byteLimit_(byteLimit) {
  for (const std::uint32_t column : wanted) {
    if (column < columns) present_.push_back(column);
  }
  std::sort(present_.begin(), present_.end());
  present_.erase(std::unique(present_.begin(), present_.end()), present_.end());
  if (present_.empty()) {
    for (std::uint32_t i = 0; i < columns; ++i) order_.push_back(i);
  } else {
    order_ = present_;
  }
}

bool PageWriter::Wants(std::size_t index) const {
  return std::binary_search(order_.begin(), order_.end(), index);
}

template <class Values>
bool PageWriter::AddRow(const Values& values) {
  const auto value = [&](std::uint32_t column) -> std::string_view {
    return column < values.size() ? View(*(std::begin(values) + column)) : std::string_view();
  };
  std::size_t rowSize = 0;
  for (const std::uint32_t column : order_) rowSize += FieldSize(value(column).size());
  if (rows_ > 0 && bytes_.size() + FieldSize(rowSize) > byteLimit_) return false;
  AppendField(kRowTag, rowSize);
  for (const std::uint32_t column : order_) {
    const std::string_view text = value(column);
    AppendField(kValueTag, text.size());
    if (!text.empty()) bytes_.append(text.data(), text.size());
  }
  ++rows_;
  return true;
}

void PageWriter::AppendField(std::uint8_t tag, std::size_t length) {
  std::uint8_t head[1 + 5];
  head[0] = tag;
  const auto* end =
      CodedOutputStream::WriteVarint32ToArray(static_cast<std::uint32_t>(length), head + 1);
  bytes_.append(reinterpret_cast<const char*>(head), static_cast<std::size_t>(end - head));
}

template bool PageWriter::AddRow(const std::initializer_list<std::string_view>&);
template bool PageWriter::AddRow(const std::vector<std::string>&);

}  // namespace znsim
