#include "SampleCount.h"

#include "NumberText.h"
#include "TimeRange.h"

namespace app {

std::optional<std::int32_t> PeriodLength(const QString& startText, const QString& endText) {
  const auto start = ParsePeriodText(startText);
  const auto end = ParsePeriodText(endText);
  if (!start || !end) return std::nullopt;
  const std::int64_t seconds = end->ToSeconds() - start->ToSeconds();
  if (seconds < INT32_MIN || seconds > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(seconds);
}

std::optional<std::int32_t> SampleCount(std::int32_t periodLength, const QString& periodText) {
  const auto number = ParseDecimal(periodText);
  if (!number) return std::nullopt;
  const auto period = RoundToInt16(*number);
  if (!period || *period == 0) return std::nullopt;
  return RoundToInt32(static_cast<double>(periodLength) / *period);
}

}  // namespace app
