#include "TrendSamples.h"

#include <QDateTime>
#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

namespace logic {

namespace {

constexpr double kBad = std::numeric_limits<double>::quiet_NaN();
constexpr qint64 kEpochDay = 2'440'588;  // the Julian day of 1 January 1970

bool IsDigit(QChar c) {
  return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QStringView Trimmed(QStringView text) {
  while (!text.isEmpty() && text.front() == QLatin1Char(' ')) text = text.mid(1);
  while (!text.isEmpty() && text.back() == QLatin1Char(' ')) text.chop(1);
  return text;
}

// The length of the decimal number at the start of `text`: sign, digits, fraction, exponent.
qsizetype NumberLength(QStringView text) {
  qsizetype i = 0;
  const auto digits = [&] {
    const qsizetype start = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i - start;
  };
  if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) ++i;
  qsizetype mantissa = digits();
  if (i < text.size() && text[i] == QLatin1Char('.')) {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return 0;
  if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
    qsizetype exponent = i + 1;
    if (exponent < text.size() &&
        (text[exponent] == QLatin1Char('+') || text[exponent] == QLatin1Char('-')))
      ++exponent;
    const qsizetype mark = i;
    i = exponent;
    if (digits() == 0) i = mark;  // "2e" is the number 2 followed by text
  }
  return i;
}

std::optional<double> ToDouble(QStringView number) {
  // from_chars takes no leading plus and reads no QChar.
  if (number.front() == QLatin1Char('+')) number = number.mid(1);
  std::string latin = number.toLatin1().toStdString();
  double value = 0;
  const auto [end, ec] = std::from_chars(latin.data(), latin.data() + latin.size(), value);
  if (ec != std::errc{} || end != latin.data() + latin.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

// Whole numbers of at most `maxDigits` digits separated by `separator`, e.g. "4/05/2005".
bool ReadFields(QStringView text, QChar separator, std::initializer_list<int> maxDigits, int* out) {
  qsizetype i = 0;
  int field = 0;
  for (int limit : maxDigits) {
    if (field > 0) {
      if (i >= text.size() || text[i] != separator) return false;
      ++i;
    }
    int value = 0;
    int digits = 0;
    while (i < text.size() && IsDigit(text[i]) && digits < limit) {
      value = value * 10 + text[i].digitValue();
      ++i;
      ++digits;
    }
    if (digits == 0) return false;
    out[field++] = value;
  }
  return i == text.size();
}

}  // namespace

SampleValue ReadSampleValue(QStringView text) {
  text = Trimmed(text);
  const qsizetype length = NumberLength(text);
  const bool numberThenBlank = length > 0 && (length == text.size() || text[length] == ' ');
  const auto number = numberThenBlank ? ToDouble(text.left(length)) : std::nullopt;
  if (!number) return {kBad, text.toString()};
  const QStringView quality = Trimmed(text.mid(length));
  if (quality.startsWith(QLatin1String("bad"), Qt::CaseInsensitive))
    return {kBad, quality.toString()};
  return {*number, quality.toString()};
}

std::optional<std::int64_t> SampleClock::Read(QStringView date, QStringView time) {
  int dmy[3];
  if (!ReadFields(Trimmed(date), QLatin1Char('/'), {2, 2, 4}, dmy)) return std::nullopt;
  time = Trimmed(time);
  int millis = 0;
  if (const qsizetype dot = time.indexOf(QLatin1Char('.')); dot >= 0) {
    const QStringView fraction = time.mid(dot + 1);
    if (fraction.isEmpty() || !std::all_of(fraction.begin(), fraction.end(), IsDigit))
      return std::nullopt;
    // Milliseconds from the first three digits; finer digits are beyond what is drawn.
    for (int i = 0; i < 3; ++i)
      millis = millis * 10 + (i < fraction.size() ? fraction[i].digitValue() : 0);
    time = time.left(dot);
  }
  int hms[3];
  if (!ReadFields(time, QLatin1Char(':'), {2, 2, 2}, hms)) return std::nullopt;
  const QDate day(dmy[2], dmy[1], dmy[0]);
  const QTime clock(hms[0], hms[1], hms[2], millis);
  if (!day.isValid() || !clock.isValid()) return std::nullopt;

  const auto asUtc = [&](QTime t) {
    return (day.toJulianDay() - kEpochDay) * 86'400'000 + t.msecsSinceStartOfDay();
  };
  // The offset at a local time, when that time exists.
  const auto offsetAt = [&](QTime t) -> std::optional<std::int64_t> {
    const QDateTime local(day, t);
    if (!local.isValid() || local.date() != day || local.time() != t) return std::nullopt;
    return local.toMSecsSinceEpoch() - asUtc(t);
  };
  if (day != hourDay_ || clock.hour() != hour_) {
    hourDay_ = day;
    hour_ = clock.hour();
    const auto first = offsetAt(QTime(hour_, 0));
    const auto last = offsetAt(QTime(hour_, 59, 59, 999));
    hourOffset_ = first && first == last ? first : std::nullopt;
  }
  const auto offset = hourOffset_ ? hourOffset_ : offsetAt(clock);
  if (!offset) return std::nullopt;
  return asUtc(clock) + *offset;
}

TrendSamples::TrendSamples(QString trend, QString periodStart, QString periodEnd,
                           QString samplePeriod)
    : trend_(std::move(trend)),
      periodStart_(std::move(periodStart)),
      periodEnd_(std::move(periodEnd)),
      samplePeriod_(std::move(samplePeriod)) {}

void TrendSamples::Add(QStringView date, QStringView time, QStringView value) {
  const auto ms = clock_.Read(date, time);
  if (!ms) {
    ++unreadable_;
    return;
  }
  // Floor division: instants before 1970 keep their milliseconds positive.
  std::int64_t seconds = *ms / 1000;
  if (*ms % 1000 < 0) --seconds;
  if (samples_.empty()) base_ = seconds;
  const std::int64_t offset = seconds - base_;
  if (offset < std::numeric_limits<std::int32_t>::min() ||
      offset > std::numeric_limits<std::int32_t>::max()) {
    ++unreadable_;
    return;
  }
  const SampleValue read = ReadSampleValue(value);
  const Sample sample{read.value, static_cast<std::int32_t>(offset),
                      static_cast<std::uint16_t>(*ms - seconds * 1000), QualityIndex(read.quality)};
  if (!samples_.empty()) {
    const Sample& last = samples_.back();
    if (std::pair(sample.seconds, sample.millis) < std::pair(last.seconds, last.millis))
      ordered_ = false;
  }
  samples_.push_back(sample);
}

void TrendSamples::Finish() {
  if (!ordered_) {
    std::stable_sort(samples_.begin(), samples_.end(), [](const Sample& a, const Sample& b) {
      return std::pair(a.seconds, a.millis) < std::pair(b.seconds, b.millis);
    });
    ordered_ = true;
  }
  samples_.shrink_to_fit();
}

std::uint16_t TrendSamples::QualityIndex(const QString& quality) {
  if (quality.isEmpty()) return 0;
  if (const auto it = qualityIndex_.constFind(quality); it != qualityIndex_.cend()) return *it;
  // Past this many different texts a sample keeps its value but not its quality; the pane
  // still shows the text.
  if (static_cast<std::size_t>(qualities_.size()) > kMaxQualities) return 0;
  const auto index = static_cast<std::uint16_t>(qualities_.size());
  qualities_.append(quality);
  qualityIndex_.insert(quality, index);
  return index;
}

}  // namespace logic
