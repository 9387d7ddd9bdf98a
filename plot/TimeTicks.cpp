#include "TimeTicks.h"

#include <QDateTime>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace plot {

namespace {

constexpr qint64 kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute, kDay = 24 * kHour;
constexpr double kMonth = 30.44 * kDay;

enum class Unit { Part, Day, Week, Month };

struct Step {
  Unit unit;
  qint64 size;  // ms for a part of a day; days or months otherwise
  double Ms() const {
    switch (unit) {
      case Unit::Part:
        return static_cast<double>(size);
      case Unit::Day:
        return static_cast<double>(size * kDay);
      case Unit::Week:
        return 7.0 * kDay;
      case Unit::Month:
        return static_cast<double>(size) * kMonth;
    }
    return 0;
  }
};

// Every part of a day here divides a day, so the ticks of each day start at its midnight.
constexpr std::array kSteps{
    Step{Unit::Part, 100},
    Step{Unit::Part, 200},
    Step{Unit::Part, 500},
    Step{Unit::Part, kSecond},
    Step{Unit::Part, 2 * kSecond},
    Step{Unit::Part, 5 * kSecond},
    Step{Unit::Part, 10 * kSecond},
    Step{Unit::Part, 15 * kSecond},
    Step{Unit::Part, 30 * kSecond},
    Step{Unit::Part, kMinute},
    Step{Unit::Part, 2 * kMinute},
    Step{Unit::Part, 5 * kMinute},
    Step{Unit::Part, 10 * kMinute},
    Step{Unit::Part, 15 * kMinute},
    Step{Unit::Part, 30 * kMinute},
    Step{Unit::Part, kHour},
    Step{Unit::Part, 2 * kHour},
    Step{Unit::Part, 3 * kHour},
    Step{Unit::Part, 6 * kHour},
    Step{Unit::Part, 12 * kHour},
    Step{Unit::Day, 1},
    Step{Unit::Day, 2},
    Step{Unit::Week, 1},
    Step{Unit::Month, 1},
    Step{Unit::Month, 3},
    Step{Unit::Month, 6},
    Step{Unit::Month, 12},
    Step{Unit::Month, 24},
    Step{Unit::Month, 60},
    Step{Unit::Month, 120},
};

// A tick is produced only once its local time exists: in the hour the clocks skip, none.
std::optional<double> LocalMs(QDate day, qint64 msOfDay) {
  const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(msOfDay));
  const QDateTime at(day, time, Qt::LocalTime);
  if (!at.isValid() || at.time() != time) return std::nullopt;
  return static_cast<double>(at.toMSecsSinceEpoch());
}

QString PartLabel(const QDateTime& at, qint64 step) {
  if (step < kSecond) return at.toString(QStringLiteral("HH:mm:ss.zzz"));
  if (step < kMinute) return at.toString(QStringLiteral("HH:mm:ss"));
  if (at.time() == QTime(0, 0)) return at.toString(QStringLiteral("dd/MM"));
  return at.toString(QStringLiteral("HH:mm"));
}

bool StartsStep(QDate day, Step step) {
  switch (step.unit) {
    case Unit::Part:
      return true;
    case Unit::Day:
      return day.toJulianDay() % step.size == 0;
    case Unit::Week:
      return day.dayOfWeek() == Qt::Monday;
    case Unit::Month:
      return day.day() == 1 && (day.year() * 12 + day.month() - 1) % step.size == 0;
  }
  return false;
}

QString DayLabel(QDate day, Step step) {
  if (step.unit == Unit::Month)
    return day.toString(step.size >= 12 ? QStringLiteral("yyyy") : QStringLiteral("MM/yyyy"));
  return day.toString(QStringLiteral("dd/MM/yyyy"));
}

}  // namespace

std::vector<TimeTick> RoundTimeTicks(double fromMs, double toMs, int most) {
  std::vector<TimeTick> ticks;
  most = std::max(most, 2);
  if (!(toMs > fromMs)) return ticks;
  const Step* step = &kSteps.back();
  for (const Step& s : kSteps)
    if ((toMs - fromMs) / s.Ms() <= most) {
      step = &s;
      break;
    }
  const auto add = [&](std::optional<double> ms, const QString& label) {
    if (ms && *ms >= fromMs && *ms <= toMs) ticks.push_back({*ms, label});
  };
  const QDate first =
      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::floor(fromMs))).date();
  const QDate last = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::ceil(toMs))).date();
  // The widest step still ends near `most` ticks, so this walks a bounded number of days
  // even at the longest step (ten years a tick gives a few thousand days at most).
  for (QDate day = first; day <= last && ticks.size() <= static_cast<std::size_t>(most);
       day = day.addDays(1)) {
    if (step->unit != Unit::Part) {
      if (StartsStep(day, *step)) add(LocalMs(day, 0), DayLabel(day, *step));
      continue;
    }
    // Start at `fromMs`'s time of day on its own day: a 100 ms step must not walk the whole
    // day. The clock's time of day, not the time since midnight, which a clock change moves.
    qint64 part = 0;
    if (day == first)
      part = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::floor(fromMs)))
                 .time()
                 .msecsSinceStartOfDay() /
             step->size * step->size;
    for (; part < kDay; part += step->size) {
      const std::optional<double> ms = LocalMs(day, part);
      if (ms && *ms > toMs) break;
      if (ms)
        add(ms, PartLabel(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(*ms)), step->size));
    }
  }
  return ticks;
}

}  // namespace plot
