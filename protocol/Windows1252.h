#pragma once
/// The code page of the library's 8-bit text: Windows-1252, the ANSI code page of Western
/// installations. It matches Latin-1 except at 0x80-0x9F, which hold the euro sign, curly
/// quotes, dashes and a few letters. The five bytes the code page leaves undefined stand for
/// the control characters of the same number, as the platform's own conversion has them, so
/// every byte reads as a character and back.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace codepage {

namespace detail {
inline constexpr std::array<char16_t, 32> kHighControls{
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};
}  // namespace detail

/// The character a Windows-1252 byte stands for.
constexpr char32_t FromWindows1252(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return detail::kHighControls[byte - 0x80];
  return byte;
}

/// The Windows-1252 byte of a character; '?' for a character the code page lacks.
constexpr char ToWindows1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < detail::kHighControls.size(); ++i) {
    if (detail::kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

/// Whether the code page holds the character, so that it survives the way to the library and
/// back.
constexpr bool InWindows1252(char32_t c) {
  return c == U'?' || ToWindows1252(c) != '?';
}

/// Appends Windows-1252 text to `out` as UTF-8.
inline void AppendUtf8(std::string& out, std::string_view windows1252) {
  for (const char byte : windows1252) {
    const char32_t c = FromWindows1252(static_cast<unsigned char>(byte));
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {  // every character of the code page lies in the Basic Multilingual Plane
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

}  // namespace codepage
