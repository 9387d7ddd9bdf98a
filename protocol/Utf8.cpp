#include "Utf8.h"

#include <cstdint>
#include <cstring>

namespace codepage {

namespace {

constexpr Utf8Character kMalformed{0xFFFD, 1};

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

Utf8Character DecodeUtf8(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {lead, 1};
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

bool IsUtf8(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    // Names and values are mostly ASCII: eight bytes at a time while they are.
    std::uint64_t block = 0;
    while (text.size() - at >= sizeof block) {
      std::memcpy(&block, text.data() + at, sizeof block);
      if (block & 0x8080808080808080u) break;
      at += sizeof block;
    }
    if (at == text.size()) break;
    const Utf8Character c = DecodeUtf8(text, at);
    if (c.bytes == 1 && static_cast<unsigned char>(text[at]) >= 0x80) return false;
    at += c.bytes;
  }
  return true;
}

}  // namespace codepage
