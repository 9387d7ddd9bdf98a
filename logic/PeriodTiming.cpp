#include "PeriodTiming.h"

#include <QRegularExpression>

#include "TextValues.h"

namespace logic {

namespace {

constexpr int kFirstYear = 100;
constexpr int kLastYear = 9999;

std::optional<ui::LocalDateTime> Checked(const ui::LocalDateTime& t) {
  if (t.year < kFirstYear || t.year > kLastYear || !t.IsValid()) return std::nullopt;
  return t;
}

}  // namespace

std::optional<ui::LocalDateTime> ParseDateTime(const QString& text) {
  static const QRegularExpression kDateTime(QStringLiteral(
      "^ *(\\d{1,2})/(\\d{1,2})/(\\d{4})(?: +(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)? *$"));
  const auto m = kDateTime.match(text);
  if (!m.hasMatch()) return std::nullopt;
  ui::LocalDateTime t;
  t.day = m.captured(1).toInt();
  t.month = m.captured(2).toInt();
  t.year = m.captured(3).toInt();
  t.hour = m.captured(4).isEmpty() ? 0 : m.captured(4).toInt();
  t.minute = m.captured(5).isEmpty() ? 0 : m.captured(5).toInt();
  t.second = m.captured(6).isEmpty() ? 0 : m.captured(6).toInt();
  return Checked(t);
}

QString FormatPeriodText(const ui::LocalDateTime& t) {
  return QStringLiteral("%1/%2/%3 %4:%5:%6")
      .arg(t.day, 2, 10, QLatin1Char('0'))
      .arg(t.month, 2, 10, QLatin1Char('0'))
      .arg(t.year, 4, 10, QLatin1Char('0'))
      .arg(t.hour, 2, 10, QLatin1Char('0'))
      .arg(t.minute, 2, 10, QLatin1Char('0'))
      .arg(t.second, 2, 10, QLatin1Char('0'));
}

std::optional<ui::LocalDateTime> ParsePeriodText(const QString& text) {
  static const QRegularExpression kPeriod(
      QStringLiteral("^(\\d{2})/(\\d{2})/(\\d{4}) (\\d{2}):(\\d{2}):(\\d{2})$"));
  const auto m = kPeriod.match(text);
  if (!m.hasMatch()) return std::nullopt;
  return Checked({m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt(),
                  m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt()});
}

std::optional<std::int32_t> DurationSeconds(const QString& durationText, std::int32_t unitSeconds) {
  const auto number = ParseDecimal(durationText);
  if (!number) return std::nullopt;
  const auto units = RoundToInt16(*number);
  if (!units) return std::nullopt;
  const std::int64_t product = std::int64_t{*units} * unitSeconds;
  if (product < INT32_MIN || product > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(product);
}

std::optional<ui::LocalDateTime> PeriodStart(const ui::LocalDateTime& end, std::int32_t seconds) {
  return Checked(ui::LocalDateTime::FromSeconds(end.ToSeconds() - seconds));
}

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

std::int32_t ElapsedSeconds(const ui::LocalDateTime& start, const ui::LocalDateTime& end) {
  return static_cast<std::int32_t>(end.ToSeconds() - start.ToSeconds());
}

QString TimingMessage(const QString& lead, const QString& preposition, std::int32_t seconds,
                      const QString& server) {
  const QString amount = seconds == 0 ? QStringLiteral(" takes about 1 second ")
                                      : QStringLiteral(" takes about %1 second(s) ").arg(seconds);
  return lead + amount + preposition + QStringLiteral(" '") + server + QStringLiteral("'.");
}

QString ServerTimeCaption(const QString& computer, const QString& timeText) {
  return computer + QStringLiteral("'s time: ") + TrimBlanks(timeText);
}

}  // namespace logic
