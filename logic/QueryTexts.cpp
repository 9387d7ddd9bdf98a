#include "QueryTexts.h"

#include <cstring>
#include <stdexcept>

namespace logic {

namespace {
// A period text is "dd/mm/yyyy HH:mm:ss": the date is its first 10 characters, the time its
// last 8.
QString DatePart(const QString& periodText) {
  return periodText.left(10);
}
QString TimePart(const QString& periodText) {
  return periodText.right(8);
}
}  // namespace

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

QString ActiveAlarmsQuery() {
  return QStringLiteral("ZNAPIAlarm(0, 0, 0)");
}

QString AlarmSummaryQuery(const QString& startText, const QString& endText) {
  return QStringLiteral("ZNAPIAlarmSummary(\"") + DatePart(startText) + "\",\"" +
         TimePart(startText) + "\",\"" + DatePart(endText) + "\",\"" + TimePart(endText) +
         "\", 0, -1)";
}

QString TrendQuery(const QString& endText, const QString& periodText, std::int32_t sampleCount,
                   const QString& trendName) {
  return QStringLiteral("ZNAPITrend(\"") + TimePart(endText) + "\",\"" + DatePart(endText) + "\"," +
         periodText + ", " + QString::number(sampleCount) + ", 0, " + trendName + ")";
}

QStringList FieldNames(std::span<const FieldLayout> fields) {
  QStringList names;
  for (const FieldLayout& field : fields) names << QString::fromLatin1(field.name);
  return names;
}

}  // namespace logic
