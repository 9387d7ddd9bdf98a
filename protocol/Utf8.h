#pragma once
/// UTF-8, the wire's text: decoding one character at a time, and the check that a text the
/// wire carries as a protobuf `string` is well formed. Overlong forms, surrogates and values
/// past U+10FFFF are malformed, as protobuf has them.
#include <cstddef>
#include <string_view>

namespace codepage {

struct Utf8Character {
  char32_t value;     // U+FFFD for a malformed sequence
  std::size_t bytes;  // taken from the text: 1 for a malformed sequence
};

/// The character whose sequence starts at text[at], which must lie within the text.
Utf8Character DecodeUtf8(std::string_view text, std::size_t at);

/// Whether the whole text is well-formed UTF-8.
bool IsUtf8(std::string_view text);

}  // namespace codepage
