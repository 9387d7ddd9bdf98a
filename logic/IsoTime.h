#pragma once
/// Times as files and scripts take them: ISO 8601 with the offset from UTC always written, so
/// that no reader takes a local time for UTC or a day for a month.
#include <QDateTime>
#include <QString>

namespace logic {

/// "2026-12-08T14:50:00+01:00" in the time's own offset (this computer's for a local time),
/// "+00:00" included; with `utc` the same instant as "2026-12-08T13:50:00Z". Milliseconds are
/// written when the time has any. Empty for an invalid time.
QString IsoDateTime(const QDateTime& time, bool utc = false);

}  // namespace logic
