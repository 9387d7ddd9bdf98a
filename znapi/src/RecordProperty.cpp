#include "RecordProperty.h"

#include <charconv>

namespace znapi::detail {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == prefix;
}

// The n of "object.fields(n).name", from 1; nullopt for any other shape.
std::optional<std::size_t> FieldNameIndex(std::string_view name) {
  constexpr std::string_view kHead = "object.fields(";
  constexpr std::string_view kTail = ").name";
  if (name.size() <= kHead.size() + kTail.size() || !StartsWithNoCase(name, kHead) ||
      Lower(name.substr(name.size() - kTail.size())) != kTail) {
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
    : names_(std::move(names)), countText_(std::to_string(names_.size())) {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    // The first of two columns that differ only in case wins, as a by-name reader expects.
    byLowerName_.emplace(Lower(names_[i]), i);
  }
}

std::optional<std::size_t> ColumnSet::Find(std::string_view name) const {
  const auto it = byLowerName_.find(Lower(name));
  if (it == byLowerName_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string_view> ReadRecordProperty(const ColumnSet& columns, const znwire::Row& row,
                                                   std::string_view name) {
  if (Lower(name) == "object.fields.count") return columns.CountText();
  if (const auto n = FieldNameIndex(name)) {
    if (*n < 1 || *n > columns.size()) return std::nullopt;
    return columns.Name(*n - 1);
  }
  const auto index = columns.Find(name);
  if (!index || *index >= static_cast<std::size_t>(row.values_size())) return std::nullopt;
  return row.values(static_cast<int>(*index));
}

}  // namespace znapi::detail
