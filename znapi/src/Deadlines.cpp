#include "Deadlines.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace znapi::detail {

std::chrono::milliseconds ParseMilliseconds(const char* text, std::chrono::milliseconds fallback) {
  if (text == nullptr) return fallback;
  const char* end = text + std::strlen(text);
  long long value = 0;
  const auto result = std::from_chars(text, end, value);
  if (result.ec != std::errc{} || result.ptr != end || value <= 0) return fallback;
  // A day is far beyond any sensible wait and keeps deadline arithmetic from overflowing.
  constexpr long long kLongest = 24LL * 3600 * 1000;
  return std::chrono::milliseconds(value > kLongest ? kLongest : value);
}

Deadlines DeadlinesFromEnvironment() {
  Deadlines d;
  d.connect = ParseMilliseconds(std::getenv("ZNAPI_CONNECT_TIMEOUT_MS"), d.connect);
  d.request = ParseMilliseconds(std::getenv("ZNAPI_TIMEOUT_MS"), d.request);
  return d;
}

}  // namespace znapi::detail
