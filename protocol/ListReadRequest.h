#pragma once
/// The server's reader of a list read request (the client writes it as a Request message): the
/// tags are read in place, as views of the frame's bytes, instead of becoming a string each.
/// Only the plain form a client sends is taken this way; any other frame is decoded as a
/// whole, as every other request is.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

namespace znwire {

class ListReadRequest {
 public:
  /// The list read in `body` when it is a request whose only fields are its id and one list
  /// read of well-formed UTF-8 tags; nullopt for anything else, well-formed or not. The
  /// tags stay in `body`, which must outlive the result.
  static std::optional<ListReadRequest> Parse(std::string_view body);

  std::uint32_t id() const { return id_; }
  std::size_t size() const { return count_; }

  /// Walks the tags in order.
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = const std::string_view*;
    using reference = std::string_view;

    Iterator() = default;
    explicit Iterator(std::string_view rest) : rest_(rest) { Next(); }
    std::string_view operator*() const { return tag_; }
    Iterator& operator++() {
      Next();
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      Next();
      return before;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    void Next();
    std::string_view rest_;
    std::string_view tag_;
    const char* at_ = nullptr;  // where tag_'s field starts; nullptr past the last tag
  };
  Iterator begin() const { return Iterator(tags_); }
  Iterator end() const { return Iterator(); }

 private:
  std::uint32_t id_ = 0;
  std::size_t count_ = 0;
  std::string_view tags_;  // the list read's fields, every one a tag, already checked
};

}  // namespace znwire
