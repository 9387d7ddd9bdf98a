#include "TimeText.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace znsim {

namespace {

bool LocalParts(Millis t, std::tm& out) {
  const std::time_t seconds = static_cast<std::time_t>(t >= 0 ? t / 1000 : (t - 999) / 1000);
  return localtime_r(&seconds, &out) != nullptr;
}

// strptime accepts single digits and trailing text; the exact layouts are checked first.
bool HasLayout(std::string_view text, std::string_view layout) {
  if (text.size() != layout.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (layout[i] == '9' ? !digit : text[i] != layout[i]) return false;
  }
  return true;
}

}  // namespace

Millis NowMillis() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string FormatDate(Millis t) {
  std::tm tm{};
  if (!LocalParts(t, tm)) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
  return text;
}

std::string FormatTime(Millis t, bool withMillis) {
  std::tm tm{};
  if (!LocalParts(t, tm)) return {};
  char text[32];
  if (withMillis) {
    const int ms = static_cast<int>(((t % 1000) + 1000) % 1000);
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  }
  return text;
}

std::optional<Millis> ParseLocalDateTime(std::string_view date, std::string_view time) {
  if (!HasLayout(date, "99/99/9999") || !HasLayout(time, "99:99:99")) return std::nullopt;
  const std::string text = std::string(date) + " " + std::string(time);
  std::tm tm{};
  const char* end = strptime(text.c_str(), "%d/%m/%Y %H:%M:%S", &tm);
  if (end == nullptr || *end != '\0') return std::nullopt;
  // mktime normalises 31/02 into March; a round trip that changes a field means a bad date.
  std::tm normal = tm;
  normal.tm_isdst = -1;
  const std::time_t seconds = mktime(&normal);
  if (seconds == static_cast<std::time_t>(-1) && !(tm.tm_year == 69 && tm.tm_mday == 31)) {
    return std::nullopt;
  }
  if (normal.tm_mday != tm.tm_mday || normal.tm_mon != tm.tm_mon || normal.tm_year != tm.tm_year) {
    return std::nullopt;
  }
  if (tm.tm_hour > 23 || tm.tm_min > 59 || tm.tm_sec > 59) return std::nullopt;
  return static_cast<Millis>(seconds) * 1000;
}

}  // namespace znsim
