#include "IsoTime.h"

#include <cstdlib>

namespace logic {

QString IsoDateTime(const QDateTime& time, bool utc) {
  if (!time.isValid()) return {};
  const QDateTime shown = utc ? time.toUTC() : time;
  QString text =
      shown.toString(shown.time().msec() != 0 ? QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")
                                              : QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
  if (utc) return text + QLatin1Char('Z');
  const int offset = shown.offsetFromUtc();
  const int minutes = std::abs(offset) / 60;
  return text + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
         QStringLiteral("%1:%2")
             .arg(minutes / 60, 2, 10, QLatin1Char('0'))
             .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace logic
