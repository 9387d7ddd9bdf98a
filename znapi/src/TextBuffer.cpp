#include "TextBuffer.h"

#include "Windows1252.h"

namespace znapi::detail {
namespace {

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// The character of the UTF-8 sequence that starts at text[at], and the bytes it takes; a
// malformed sequence (overlong, surrogate, beyond U+10FFFF, cut short) takes one byte and
// reads as a character no code page holds.
std::pair<char32_t, std::size_t> DecodeAt(std::string_view text, std::size_t at) {
  constexpr std::pair<char32_t, std::size_t> kMalformed{0xFFFD, 1};
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  std::size_t size = 0;
  char32_t c = 0;
  // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    size = 2, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    size = 3, c = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    size = 4, c = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return kMalformed;
  }
  if (text.size() - at < size || byte(1) < low || byte(1) > high) return kMalformed;
  for (std::size_t i = 1; i < size; ++i) {
    if (!IsContinuation(byte(i))) return kMalformed;
    c = (c << 6) | (byte(i) & 0x3F);
  }
  return {c, size};
}

}  // namespace

std::string Utf8FromAnsi(const char* text) {
  std::string out;
  codepage::AppendUtf8(out, text);
  return out;
}

std::int32_t CopyText(char* out, std::int32_t length, std::string_view text) {
  const std::size_t room = static_cast<std::size_t>(length) - 1;
  std::size_t n = 0;
  for (std::size_t at = 0; at < text.size() && n < room;) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
      out[n++] = static_cast<char>(lead);
      ++at;
      continue;
    }
    const auto [c, size] = DecodeAt(text, at);
    out[n++] = codepage::ToWindows1252(c);
    at += size;
  }
  out[n] = '\0';
  return static_cast<std::int32_t>(n);
}

}  // namespace znapi::detail
