#pragma once
/// The samples of one trend request, kept beside the result pane's text so that they can be
/// plotted: time, value and quality in 16 bytes a sample.
#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace logic {

/// What a sample's value text says.
struct SampleValue {
  /// NaN when the sample is bad: it has no value to draw.
  double value = 0;
  /// The text beside the number ("12.5 Uncertain"), or the whole text when it is no number.
  QString quality;
};

/// "12.5" is a good sample; "12.5 Uncertain" a usable one with a quality. A quality that begins
/// with "Bad" (any case), a text that does not begin with a number followed by a blank or the
/// end ("#COMMS", "12.5kg"), a number out of range and an empty text are bad.
SampleValue ReadSampleValue(QStringView text);

/// Reads the local times of samples as instants.
class SampleClock {
 public:
  /// Milliseconds since the epoch of a local day/month/year date and a 24-hour time
  /// ("H:mm:ss" with an optional fraction); nothing when either cannot be read or the local
  /// time does not exist (the clocks skipped it).
  std::optional<std::int64_t> Read(QStringView date, QStringView time);

 private:
  // Converting a local time asks the C library, which looks at the time zone file each
  // time; samples come hour after hour, so the offset of an hour without a clock change is
  // kept.
  QDate hourDay_;
  int hour_ = -1;
  std::optional<std::int64_t> hourOffset_;  // nothing when the clocks change in that hour
};

class TrendSamples {
 public:
  /// `samplePeriod` is the request's sample period as typed, which asking again needs.
  TrendSamples(QString trend, QString periodStart, QString periodEnd, QString samplePeriod = {});

  void Reserve(std::size_t count) { samples_.reserve(count); }
  /// Adds the sample of one pane row from the texts it was written from (the time with its
  /// fraction). A row whose date or time cannot be read is counted and left out.
  void Add(QStringView date, QStringView time, QStringView value);
  /// Puts the samples in time order (a server may answer out of order, and local times repeat
  /// when the clocks go back) and gives spare room back.
  void Finish();

  std::size_t size() const { return samples_.size(); }
  bool empty() const { return samples_.empty(); }
  /// Milliseconds since the epoch.
  double TimeMs(std::size_t i) const {
    return static_cast<double>((base_ + samples_[i].seconds) * 1000 + samples_[i].millis);
  }
  /// NaN for a bad sample.
  double Value(std::size_t i) const { return samples_[i].value; }
  bool Bad(std::size_t i) const { return std::isnan(samples_[i].value); }
  QString Quality(std::size_t i) const { return qualities_.at(samples_[i].quality); }

  /// Rows of the pane that hold no sample because their date or time could not be read.
  std::size_t UnreadableRows() const { return unreadable_; }
  /// Memory the samples hold.
  std::size_t SampleBytes() const { return samples_.capacity() * sizeof(Sample); }

  const QString& Trend() const { return trend_; }
  const QString& PeriodStart() const { return periodStart_; }
  const QString& PeriodEnd() const { return periodEnd_; }
  const QString& SamplePeriod() const { return samplePeriod_; }

 private:
  struct Sample {
    double value;
    std::int32_t seconds;  // from base_
    std::uint16_t millis;
    std::uint16_t quality;  // index into qualities_
  };
  static_assert(sizeof(Sample) == 16);
  static constexpr std::size_t kMaxQualities = 65535;

  std::uint16_t QualityIndex(const QString& quality);

  QString trend_;
  QString periodStart_;
  QString periodEnd_;
  QString samplePeriod_;
  std::vector<Sample> samples_;
  std::int64_t base_ = 0;  // seconds since the epoch of the first sample
  bool ordered_ = true;
  std::size_t unreadable_ = 0;
  SampleClock clock_;
  QStringList qualities_{QString()};
  QHash<QString, std::uint16_t> qualityIndex_;
};

}  // namespace logic
