#pragma once
/// How many samples a trend request asks for.
#include <QString>
#include <cstdint>
#include <optional>

namespace app {

/// Seconds from the start to the end period text; nothing when either is not a period text
/// or the difference passes 32 bits.
std::optional<std::int32_t> PeriodLength(const QString& startText, const QString& endText);

/// The period length divided by the sample period, to the nearest whole number with halves
/// to even. The sample period text is rounded to a 16-bit whole number first (halves to
/// even). Nothing when that number is 0 or out of range, or the count passes 32 bits.
std::optional<std::int32_t> SampleCount(std::int32_t periodLength, const QString& periodText);

}  // namespace app
