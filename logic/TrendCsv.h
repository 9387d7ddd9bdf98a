#pragma once
/// The file of a trend request, one layout for the window's Save... and zncheck's CSV: a
/// timestamp column in ISO 8601 with its offset, then the trend's values under its name and
/// unit ("TREND1 (m)"), so that a spreadsheet reads the day right and the file says what it
/// holds.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace logic {

/// "time" and the value column's name: the trend, with its unit in brackets when it has one.
QStringList TrendCsvHeader(const QString& trend, const QString& units);

/// A row of the file from a trend row's date, time and value texts.
QStringList TrendCsvRow(const QStringList& dateTimeValue);

/// The server's "dd/mm/yyyy" and "HH:mm:ss" (an optional fraction after them), a time on
/// this computer's clock, as ISO 8601 with the offset, or in UTC with `utc`. Empty when both
/// are empty; texts of another form are kept, joined by a blank, so that nothing the server
/// said is lost.
QString IsoFromServer(QStringView date, QStringView time, bool utc = false);

}  // namespace logic
