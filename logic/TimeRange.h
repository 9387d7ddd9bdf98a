#pragma once
/// The request period: its end as typed, its length, and the 19-character period texts
/// ("dd/mm/yyyy HH:mm:ss") that the queries take apart.
#include <QString>
#include <cstdint>
#include <optional>

#include "LocalDateTime.h"

namespace app {

/// The end text that means "the current local time"; matched exactly, case and blanks too.
inline const QString kNowKeyword = QStringLiteral("Now()");

/// A day/month/year date ("4/5/2005", "04/05/2005") with an optional 24-hour time
/// ("HH:mm" or "HH:mm:ss") after a blank; blanks around the whole are allowed. Only real
/// calendar instants within the years 100 to 9999 are accepted.
std::optional<ui::LocalDateTime> ParseDateTime(const QString& text);

/// "dd/mm/yyyy HH:mm:ss".
QString FormatPeriodText(const ui::LocalDateTime& instant);
/// The exact 19-character form only.
std::optional<ui::LocalDateTime> ParsePeriodText(const QString& text);

/// The length of the period in seconds: the duration text rounded to a 16-bit whole number
/// (halves to even) times the unit's seconds, as a 32-bit product. Nothing when the text is
/// no number or a limit is passed.
std::optional<std::int32_t> DurationSeconds(const QString& durationText, std::int32_t unitSeconds);

/// The period's start: `seconds` before the end. Nothing when it leaves the years 100 to 9999.
std::optional<ui::LocalDateTime> PeriodStart(const ui::LocalDateTime& end, std::int32_t seconds);

}  // namespace app
