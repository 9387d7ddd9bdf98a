#pragma once
/// Text crosses the library boundary as 8-bit text; the windows work in QString.
#include <QString>
#include <cstring>
#include <string>

namespace app {

inline std::string ToAnsi(const QString& text) {
  return text.toLatin1().toStdString();
}

inline QString FromAnsi(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

/// The text of a library buffer up to its first NUL, or the whole buffer when it has none.
inline QString BufferText(const char* buffer, std::size_t length) {
  const void* nul = std::memchr(buffer, '\0', length);
  const std::size_t n =
      nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : length;
  return QString::fromLatin1(buffer, static_cast<qsizetype>(n));
}

}  // namespace app
