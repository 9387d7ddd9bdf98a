#include "TimeText.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <limits>

namespace znsim {

namespace {

struct LocalFields {
  int year, month, day, hour, minute, second, millis;
};

// Trend and summary pages format hundreds of thousands of instants; asking the C library
// for each one costs more than the rest of the page. Zones change their offset from UTC
// only at quarter hours, so it is looked up once per quarter hour and the fields are
// worked out here.
bool Local(Millis t, LocalFields& out) {
  struct OffsetCache {
    std::int64_t block = std::numeric_limits<std::int64_t>::min();
    long offset = 0;
  };
  thread_local OffsetCache cache;
  const std::int64_t seconds = t >= 0 ? t / 1000 : (t - 999) / 1000;
  const std::int64_t block = seconds >= 0 ? seconds / 900 : (seconds - 899) / 900;
  if (block != cache.block) {
    std::tm tm{};
    const auto asTime = static_cast<std::time_t>(seconds);
    if (localtime_r(&asTime, &tm) == nullptr) return false;
    cache.block = block;
    cache.offset = tm.tm_gmtoff;
  }
  const std::int64_t local = seconds + cache.offset;
  const std::int64_t days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
  const std::int64_t inDay = local - days * 86400;
  const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{days}}};
  if (!date.ok()) return false;
  out = {static_cast<int>(date.year()),
         static_cast<int>(static_cast<unsigned>(date.month())),
         static_cast<int>(static_cast<unsigned>(date.day())),
         static_cast<int>(inDay / 3600),
         static_cast<int>(inDay / 60 % 60),
         static_cast<int>(inDay % 60),
         static_cast<int>(t - seconds * 1000)};
  return true;
}

void Digits(char* at, int value, int width) {
  for (int i = width - 1; i >= 0; --i, value /= 10) at[i] = static_cast<char>('0' + value % 10);
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
  LocalFields f{};
  if (!Local(t, f) || f.year < 0 || f.year > 9999) return {};
  std::string text = "00/00/0000";
  Digits(text.data(), f.day, 2);
  Digits(text.data() + 3, f.month, 2);
  Digits(text.data() + 6, f.year, 4);
  return text;
}

std::string FormatTime(Millis t, bool withMillis) {
  LocalFields f{};
  if (!Local(t, f)) return {};
  std::string text = withMillis ? "00:00:00.000" : "00:00:00";
  Digits(text.data(), f.hour, 2);
  Digits(text.data() + 3, f.minute, 2);
  Digits(text.data() + 6, f.second, 2);
  if (withMillis) Digits(text.data() + 9, f.millis, 3);
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
