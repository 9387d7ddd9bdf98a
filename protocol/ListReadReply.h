#pragma once
/// A list read's reply in its wire form, written and read in place: the server encodes each
/// item as its tag is read (a list of 100,000 tags costs one growing buffer, not a message and
/// a string per item), and the client reads the items where they lie in the reply's bytes.
/// Both read and write exactly what protobuf would for a ListReadReply.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace znwire {

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

/// Where an item's value lies in the reply's bytes.
struct ListItemPlace {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
  bool ok = false;
};

/// The items of the ListReadReply in `bytes`, read as protobuf would read them; nullopt when
/// they are malformed.
std::optional<std::vector<ListItemPlace>> ReadListItems(std::string_view bytes);

}  // namespace znwire
