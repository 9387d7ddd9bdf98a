#pragma once
/// Text crosses the library boundary as 8-bit Windows-1252 text; the windows work in QString.
#include <QList>  // QString::toUcs4
#include <QString>
#include <cstring>
#include <string>

#include "Windows1252.h"

namespace app {

/// The text as Windows-1252; a character the code page lacks becomes '?'.
inline std::string ToAnsi(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (const char32_t c : text.toUcs4()) out += codepage::ToWindows1252(c);
  return out;
}

inline QString FromAnsi(const char* text, std::size_t length) {
  QString out(static_cast<qsizetype>(length), Qt::Uninitialized);
  for (std::size_t i = 0; i < length; ++i)
    out[static_cast<qsizetype>(i)] = QChar(
        static_cast<char16_t>(codepage::FromWindows1252(static_cast<unsigned char>(text[i]))));
  return out;
}

inline QString FromAnsi(const std::string& text) {
  return FromAnsi(text.data(), text.size());
}

/// The text of a library buffer up to its first NUL, or the whole buffer when it has none.
inline QString BufferText(const char* buffer, std::size_t length) {
  const void* nul = std::memchr(buffer, '\0', length);
  const std::size_t n =
      nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : length;
  return FromAnsi(buffer, n);
}

}  // namespace app
