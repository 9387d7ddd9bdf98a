#pragma once
/// The items of a list read's reply, encoded in their wire form as each tag is read: a list
/// of 100,000 tags costs one growing buffer, not a message and a string per item.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace znsim {

class ListReplyWriter {
 public:
  /// A reply of about `items` items, full once its bytes would exceed `byteLimit`.
  ListReplyWriter(std::size_t items, std::size_t byteLimit);

  /// Adds the next item: the tag's value, or nullopt for a tag that could not be read. False,
  /// without adding it, once the reply would be over its limit.
  bool Add(const std::optional<std::string>& value);

  /// The encoded items: repeated ListReadReply.items fields.
  std::string Take() { return std::move(bytes_); }

 private:
  std::size_t byteLimit_;
  std::string bytes_;
};

}  // namespace znsim
