#include "QueryText.h"

namespace app {

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

}  // namespace app
