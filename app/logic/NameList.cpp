#include "NameList.h"

#include <cstring>
#include <stdexcept>

namespace app {

namespace {

// Only blanks: a tab or control character in a name is part of the name.
QString TrimLeadingBlanks(const QString& s) {
  qsizetype i = 0;
  while (i < s.size() && s[i] == QLatin1Char(' ')) ++i;
  return s.mid(i);
}

QString TrimTrailingBlanks(const QString& s) {
  qsizetype n = s.size();
  while (n > 0 && s[n - 1] == QLatin1Char(' ')) --n;
  return s.left(n);
}

}  // namespace

QString NameFromBuffer(const char* buffer, std::size_t length) {
  const void* nul = std::memchr(buffer, '\0', length);
  if (nul) {
    const auto n = static_cast<qsizetype>(static_cast<const char*>(nul) - buffer);
    return TrimLeadingBlanks(QString::fromLatin1(buffer, n));
  }
  return TrimTrailingBlanks(
      TrimLeadingBlanks(QString::fromLatin1(buffer, static_cast<qsizetype>(length))));
}

QString NoNamesFoundText(const char* kindWord) {
  return QStringLiteral("Failed to find any ") + QString::fromLatin1(kindWord) +
         QStringLiteral(" tags!");
}

QString NameCountCaption(std::int32_t total) {
  return QStringLiteral("Tags: ") + QString::number(total);
}

float ProgressScale(int drawableWidth, std::int32_t total) {
  if (total == 0) throw std::domain_error("Division by zero");
  return static_cast<float>(drawableWidth) / static_cast<float>(total);
}

}  // namespace app
