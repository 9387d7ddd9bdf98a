#pragma once
/// A local date and time at one-second resolution, with the little calendar arithmetic the
/// windows need (differences and offsets in whole seconds). No time zone is applied: the
/// host reads its local clock into this and everything else stays local.
#include <chrono>
#include <compare>
#include <cstdint>

namespace ui {

struct LocalDateTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;

  auto operator<=>(const LocalDateTime&) const = default;

  /// Seconds since 1970-01-01 00:00:00 of the same (local) clock.
  std::int64_t ToSeconds() const {
    using namespace std::chrono;
    const sys_days d{year_month_day{std::chrono::year{year}, std::chrono::month{unsigned(month)},
                                    std::chrono::day{unsigned(day)}}};
    return std::int64_t{d.time_since_epoch().count()} * 86400 + hour * 3600 + minute * 60 + second;
  }

  static LocalDateTime FromSeconds(std::int64_t s) {
    using namespace std::chrono;
    std::int64_t days = s / 86400;
    std::int64_t rest = s % 86400;
    if (rest < 0) {
      rest += 86400;
      --days;
    }
    const year_month_day ymd{sys_days{std::chrono::days{days}}};
    return LocalDateTime{int(ymd.year()),  int(unsigned(ymd.month())), int(unsigned(ymd.day())),
                         int(rest / 3600), int(rest % 3600 / 60),      int(rest % 60)};
  }

  /// Whether the fields name a real calendar instant.
  bool IsValid() const {
    using namespace std::chrono;
    return year_month_day{std::chrono::year{year}, std::chrono::month{unsigned(month)},
                          std::chrono::day{unsigned(day)}}
               .ok() &&
           hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
  }
};

}  // namespace ui
