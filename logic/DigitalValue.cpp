#include "DigitalValue.h"

#include <optional>

#include "TextValues.h"

namespace logic {

namespace {

std::optional<bool> DigitalWord(const QString& typed) {
  const QString word = TrimBlanks(typed);
  for (const char* on : {"on", "true"})
    if (word.compare(QLatin1String(on), Qt::CaseInsensitive) == 0) return true;
  for (const char* off : {"off", "false"})
    if (word.compare(QLatin1String(off), Qt::CaseInsensitive) == 0) return false;
  return std::nullopt;
}

}  // namespace

QString ValueToWrite(const QString& typed, const std::function<bool()>& holdsNumber) {
  const auto state = DigitalWord(typed);
  if (!state || !holdsNumber()) return typed;
  return *state ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace logic
