#include "NameList.h"

#include <cstring>
#include <stdexcept>

#include "Ansi.h"
#include "Blanks.h"

namespace app {

QString NameFromBuffer(const char* buffer, std::size_t length) {
  const void* nul = std::memchr(buffer, '\0', length);
  if (nul) {
    const auto n = static_cast<qsizetype>(static_cast<const char*>(nul) - buffer);
    return TrimLeadingBlanks(FromAnsi(buffer, static_cast<std::size_t>(n)));
  }
  return TrimBlanks(FromAnsi(buffer, length));
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
