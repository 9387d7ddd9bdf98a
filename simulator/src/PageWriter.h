#pragma once
/// The rows of one find page, encoded in the reply's wire form as a result produces them:
/// each value goes straight from the table into the page's bytes, with no copy of the row in
/// between, and only the columns the client asked for go at all.
#include <google/protobuf/repeated_field.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace znsim {

class PageWriter {
 public:
  /// A page of a result with `columns` columns. `wanted` names the columns to send (indices;
  /// those out of range are ignored); when it names none, every column goes. The page is
  /// full once its rows exceed `byteLimit`, though its first row always goes.
  PageWriter(std::size_t columns, const google::protobuf::RepeatedField<std::uint32_t>& wanted,
             std::size_t byteLimit);

  /// The columns each row carries, in order, when only some go; empty when all go.
  const std::vector<std::uint32_t>& present() const { return present_; }
  /// Whether column `index` goes into the page, so that a costly value can be left unmade.
  bool Wants(std::size_t index) const;

  /// Adds a row whose column i is values[i]; false, without adding it, once the page is full.
  bool Row(std::initializer_list<std::string_view> values) { return AddRow(values); }
  bool Row(const std::vector<std::string>& values) { return AddRow(values); }
  std::size_t rows() const { return rows_; }

  /// The encoded rows: repeated FindPage.rows fields, to follow the rest of the page.
  std::string Take() { return std::move(bytes_); }

 private:
  template <class Values>
  bool AddRow(const Values& values);
  /// A field's tag and length; its bytes follow.
  void AppendField(std::uint8_t tag, std::size_t length);

  std::vector<std::uint32_t> order_;    // the columns that go, in order
  std::vector<std::uint32_t> present_;  // order_ when it is a selection
  std::size_t byteLimit_;
  std::size_t rows_ = 0;
  std::string bytes_;
};

}  // namespace znsim
