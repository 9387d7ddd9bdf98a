#include "NumberText.h"

#include <QRegularExpression>
#include <cfenv>  // FE_TONEAREST
#include <cmath>
#include <limits>

namespace app {

namespace {

template <typename Int>
std::optional<Int> RoundTo(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  // nearbyint rounds by the current mode; the default mode sends halves to even.
  const int previous = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(value);
  std::fesetround(previous);
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max()))
    return std::nullopt;
  return static_cast<Int>(rounded);
}

}  // namespace

std::optional<double> ParseDecimal(const QString& text) {
  static const QRegularExpression kDecimal(QStringLiteral("^ *([+-]?(?:\\d+\\.?\\d*|\\.\\d+)) *$"));
  const auto match = kDecimal.match(text);
  if (!match.hasMatch()) return std::nullopt;
  bool ok = false;
  const double value = match.captured(1).toDouble(&ok);  // QString::toDouble is locale-free
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::int16_t> RoundToInt16(double value) {
  return RoundTo<std::int16_t>(value);
}
std::optional<std::int32_t> RoundToInt32(double value) {
  return RoundTo<std::int32_t>(value);
}

}  // namespace app
