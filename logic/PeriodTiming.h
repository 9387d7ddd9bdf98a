#pragma once
/// Periods and timing: the request period (its end as typed, its length, the 19-character
/// period texts "dd/mm/yyyy HH:mm:ss" that the queries take apart), how many samples a trend
/// request asks for, and the texts that report how long an operation took and what time the
/// server keeps.
#include <QString>
#include <cstdint>
#include <optional>

#include "LocalDateTime.h"

namespace logic {

// ---- The request period ----------------------------------------------------------------------

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

// ---- Trend samples ---------------------------------------------------------------------------

/// Seconds from the start to the end period text; nothing when either is not a period text
/// or the difference passes 32 bits.
std::optional<std::int32_t> PeriodLength(const QString& startText, const QString& endText);

/// The period length divided by the sample period, to the nearest whole number with halves
/// to even. The sample period text is rounded to a 16-bit whole number first (halves to
/// even). Nothing when that number is 0 or out of range, or the count passes 32 bits.
std::optional<std::int32_t> SampleCount(std::int32_t periodLength, const QString& periodText);

// ---- Timing and the server's clock -----------------------------------------------------------

/// Whole seconds from start to end (clock-second boundaries crossed); negative when the
/// clock was set back.
std::int32_t ElapsedSeconds(const ui::LocalDateTime& start, const ui::LocalDateTime& end);

/// lead + " takes about 1 second " + preposition + " '" + server + "'." when no second
/// boundary passed, else lead + " takes about " + N + " second(s) " + preposition + ...
QString TimingMessage(const QString& lead, const QString& preposition, std::int32_t seconds,
                      const QString& server);

/// computer + "'s time: " + the server's time text without its surrounding blanks. An empty
/// computer name stays empty here (the caption then begins with "'s time: ").
QString ServerTimeCaption(const QString& computer, const QString& timeText);

}  // namespace logic
