// The conversion at the C boundary: Windows-1252 in, UTF-8 on the wire, Windows-1252 out.
#include "TextBuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace znapi::detail {
namespace {

std::string Out(std::string_view utf8, std::int32_t length = 64) {
  std::string buffer(static_cast<std::size_t>(length) + 4, '#');
  const std::int32_t n = CopyText(buffer.data(), length, utf8);
  EXPECT_EQ(buffer.substr(static_cast<std::size_t>(length)), "####") << "wrote past the length";
  EXPECT_EQ(buffer[static_cast<std::size_t>(n)], '\0');
  return buffer.substr(0, static_cast<std::size_t>(n));
}

TEST(TextBuffer, EveryByteRoundTripsThroughUtf8) {
  for (int byte = 1; byte < 256; ++byte) {
    const std::string ansi(1, static_cast<char>(byte));
    EXPECT_EQ(Out(Utf8FromAnsi(ansi.c_str())), ansi) << byte;
  }
  EXPECT_EQ(Utf8FromAnsi("\x80 \x93"
                         "a\x94 \xE9"),
            "\u20ac \u201ca\u201d \u00e9");
}

TEST(TextBuffer, WhatWindows1252LacksComesBackAsAQuestionMark) {
  const std::pair<std::string, std::string> cases[] = {
      {"\u20ac5 \u00b5m",
       "\x80"
       "5 \xB5m"},
      {"\u03a9 \U0001F600", "? ?"},  // one mark per character, whatever its length
      {"\xC3", "?"},                 // cut short
      {"\xC0\xAF", "??"},            // overlong
      {"\xED\xA0\x80", "???"},       // a surrogate
      {"\xF4\x90\x80\x80", "????"},  // beyond U+10FFFF
      {"a\xE2\x82"
       "b",
       "a??b"},  // a continuation missing
  };
  for (const auto& [utf8, ansi] : cases) EXPECT_EQ(Out(utf8), ansi) << utf8;
  EXPECT_EQ(Out("Caf\u00e9 open", 5), "Caf\xE9") << "the length counts Windows-1252 bytes";
}

}  // namespace
}  // namespace znapi::detail
