#include "RecordProperty.h"

#include <algorithm>
#include <charconv>

namespace znapi::detail {
namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compared without regard to ASCII letter case and without a copy: every record read asks.
bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

// The n of "object.fields(n).name", from 1; nullopt for any other shape.
std::optional<std::size_t> FieldNameIndex(std::string_view name) {
  constexpr std::string_view kHead = "object.fields(";
  constexpr std::string_view kTail = ").name";
  if (name.size() <= kHead.size() + kTail.size() ||
      !EqualNoCase(name.substr(0, kHead.size()), kHead) ||
      !EqualNoCase(name.substr(name.size() - kTail.size()), kTail)) {
    return std::nullopt;
  }
  const auto digits = name.substr(kHead.size(), name.size() - kHead.size() - kTail.size());
  std::size_t n = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  return n;
}

}  // namespace

ColumnSet::ColumnSet(std::vector<std::string> names)
    : names_(std::move(names)), countText_(std::to_string(names_.size())) {}

std::optional<std::size_t> ColumnSet::Find(std::string_view name) const {
  // A result has a handful of columns: a scan beats hashing, and finds the first of two
  // columns that differ only in case, as a by-name reader expects.
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (EqualNoCase(names_[i], name)) return i;
  }
  return std::nullopt;
}

PropertyLookup LookUpProperty(const ColumnSet& columns, std::string_view name) {
  if (EqualNoCase(name, "object.fields.count")) return {columns.CountText(), {}};
  if (const auto n = FieldNameIndex(name)) {
    if (*n < 1 || *n > columns.size()) return {};
    return {columns.Name(*n - 1), {}};
  }
  return {{}, columns.Find(name)};
}

}  // namespace znapi::detail
