#include "PageWriter.h"

#include <algorithm>

#include "WireFormat.h"
#include "znwire.pb.h"

namespace znsim {

namespace {

constexpr std::uint32_t kRowTag =
    znwire::FieldKey(znwire::FindPage::kRowsFieldNumber, znwire::WireType::Delimited);
constexpr std::uint32_t kValueTag =
    znwire::FieldKey(znwire::Row::kValuesFieldNumber, znwire::WireType::Delimited);
static_assert(kRowTag < 0x80 && kValueTag < 0x80, "one-byte keys");

std::size_t FieldSize(std::size_t length) {
  return 1 + znwire::VarintSize(length) + length;
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
  char head[1 + 10];
  head[0] = static_cast<char>(tag);
  bytes_.append(head, znwire::WriteVarint(length, head + 1));
}

template bool PageWriter::AddRow(const std::initializer_list<std::string_view>&);
template bool PageWriter::AddRow(const std::vector<std::string>&);

}  // namespace znsim
