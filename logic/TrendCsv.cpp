#include "TrendCsv.h"

#include <QDateTime>
#include <algorithm>

#include "IsoTime.h"

namespace logic {

QStringList TrendCsvHeader(const QString& trend, const QString& units) {
  const QString unit = units.trimmed();
  return {QStringLiteral("time"), unit.isEmpty() ? trend : trend + " (" + unit + ")"};
}

QStringList TrendCsvRow(const QStringList& dateTimeValue) {
  return {IsoFromServer(dateTimeValue.value(0), dateTimeValue.value(1)), dateTimeValue.value(2)};
}

QString IsoFromServer(QStringView date, QStringView time, bool utc) {
  if (date.isEmpty() && time.isEmpty()) return {};
  const QString kept = date.toString() + QLatin1Char(' ') + time.toString();
  const auto digits = [](QStringView s) {
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
  };
  const bool dateForm = date.size() == 10 && date[2] == u'/' && date[5] == u'/' &&
                        digits(date.mid(0, 2)) && digits(date.mid(3, 2)) && digits(date.mid(6, 4));
  const bool timeForm = time.size() >= 8 && time[2] == u':' && time[5] == u':' &&
                        digits(time.mid(0, 2)) && digits(time.mid(3, 2)) &&
                        digits(time.mid(6, 2)) &&
                        (time.size() == 8 || (time[8] == u'.' && digits(time.mid(9))));
  if (!dateForm || !timeForm) return kept;
  // A fraction of any length, to the millisecond.
  const QString fraction = (time.mid(9).toString() + QStringLiteral("000")).left(3);
  const QDateTime local(
      QDate(date.mid(6, 4).toInt(), date.mid(3, 2).toInt(), date.mid(0, 2).toInt()),
      QTime(time.mid(0, 2).toInt(), time.mid(3, 2).toInt(), time.mid(6, 2).toInt(),
            fraction.toInt()));
  return local.isValid() ? IsoDateTime(local, utc) : kept;
}

}  // namespace logic
