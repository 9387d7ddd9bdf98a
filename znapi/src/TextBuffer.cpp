#include "TextBuffer.h"

#include "Utf8.h"
#include "Windows1252.h"

namespace znapi::detail {

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
    const codepage::Utf8Character c = codepage::DecodeUtf8(text, at);
    out[n++] = codepage::ToWindows1252(c.value);
    at += c.bytes;
  }
  out[n] = '\0';
  return static_cast<std::int32_t>(n);
}

}  // namespace znapi::detail
