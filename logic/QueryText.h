#pragma once
/// The query texts the request panel sends as table names to a find.
#include <QString>
#include <cstdint>

namespace app {

/// The alarms active now; it takes no input.
QString ActiveAlarmsQuery();

/// The alarm summary between two period texts ("dd/mm/yyyy HH:mm:ss"): start date, start
/// time, end date, end time, each quoted, then ", 0, -1".
QString AlarmSummaryQuery(const QString& startText, const QString& endText);

/// The samples of one trend: end time before end date, the period text exactly as typed, the
/// sample count and the trend name unquoted. The start enters only through the count.
QString TrendQuery(const QString& endText, const QString& periodText, std::int32_t sampleCount,
                   const QString& trendName);

}  // namespace app
