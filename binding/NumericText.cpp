#include "NumericText.h"

#include <charconv>  // std::from_chars: no locale, no allocation

namespace binding {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t SkipDigits(std::string_view s, std::size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

}  // namespace

std::optional<double> ParseNumericText(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  const auto last = text.find_last_not_of(' ');
  std::string_view s = text.substr(first, last - first + 1);

  // Check the shape first: from_chars alone would also take "inf", "nan" and hex forms.
  std::size_t i = 0;
  const bool negative = s[i] == '-';
  if (s[i] == '+' || s[i] == '-') ++i;
  const std::size_t intStart = i;
  i = SkipDigits(s, i);
  std::size_t digits = i - intStart;
  if (i < s.size() && s[i] == '.') {
    const std::size_t fracStart = ++i;
    i = SkipDigits(s, i);
    digits += i - fracStart;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t expStart = i;
    i = SkipDigits(s, i);
    if (i == expStart) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;

  // from_chars takes no leading '+'.
  const std::string_view body = s.substr(s[0] == '+' || s[0] == '-' ? 1 : 0);
  double value = 0;
  const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (ec != std::errc() || end != body.data() + body.size()) return std::nullopt;
  return negative ? -value : value;
}

}  // namespace binding
