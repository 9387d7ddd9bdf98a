#pragma once
/// The property names a record answers: its fields by column name, "object.fields.Count" and
/// "object.fields(n).Name" (n from 1).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace znapi::detail {

/// The columns of a search result, looked up by name without regard to letter case.
class ColumnSet {
 public:
  ColumnSet() = default;
  explicit ColumnSet(std::vector<std::string> names);
  std::size_t size() const { return names_.size(); }
  /// The index of a column; nullopt when no column has that name.
  std::optional<std::size_t> Find(std::string_view name) const;
  const std::string& Name(std::size_t index) const { return names_[index]; }
  /// size() as text, kept so that a record can hand it out like any field.
  const std::string& CountText() const { return countText_; }

 private:
  std::vector<std::string> names_;
  std::string countText_ = "0";
};

/// How a record answers property `name`: with a text of its own (the field count or a field
/// name), with the value of a column, or not at all (both empty).
struct PropertyLookup {
  std::optional<std::string_view> text;
  std::optional<std::size_t> column;
};
PropertyLookup LookUpProperty(const ColumnSet& columns, std::string_view name);

}  // namespace znapi::detail
