#include "TrendWindow.h"

#include <charconv>
#include <cmath>

namespace znsim {

namespace {
constexpr Millis kYear = 366LL * 24 * 3600 * 1000;
}

std::optional<Millis> PeriodMillis(std::string_view text) {
  double seconds = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  if (!std::isfinite(seconds) || seconds <= 0) return std::nullopt;
  const double ms = std::round(seconds * 1000);
  if (ms < 1 || ms > static_cast<double>(kYear)) return std::nullopt;
  return static_cast<Millis>(ms);
}

std::optional<TrendWindow> MakeTrendWindow(Millis end, Millis step, std::int64_t count) {
  if (step <= 0 || count < 0 || end < 0) return std::nullopt;
  if (count > 0 && (count - 1) > end / step) return std::nullopt;
  return TrendWindow{end, step, count};
}

}  // namespace znsim
