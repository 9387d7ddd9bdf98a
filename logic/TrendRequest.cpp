#include "TrendRequest.h"

#include "PeriodTiming.h"
#include "QueryTexts.h"
#include "RecordCursor.h"
#include "TextValues.h"
#include "TrendSamples.h"
#include "basZNAPI.h"

namespace logic {

std::optional<TrendRequest> RequestOf(const TrendSamples& samples) {
  const auto seconds = PeriodLength(samples.PeriodStart(), samples.PeriodEnd());
  if (!seconds || samples.SamplePeriod().isEmpty()) return std::nullopt;
  return TrendRequest{samples.Trend(), samples.SamplePeriod(), *seconds};
}

TrendReply RequestTrend(binding::basZNAPI& module, const TrendRequest& request,
                        const ui::LocalDateTime& end) {
  const auto start = PeriodStart(end, request.seconds);
  const auto count = SampleCount(request.seconds, request.samplePeriod);
  if (!start || !count) return {nullptr, QStringLiteral("Incorrect sample period entry!")};
  const QString endText = FormatPeriodText(end);
  try {
    const std::int32_t handle = module.GetConnection();
    if (handle <= 0) {
      const QString why = FromAnsi(module.ConnectionFailure());
      return {nullptr, QStringLiteral("No ZNAPI connection is available.") +
                           (why.isEmpty() ? QString() : QLatin1Char(' ') + why)};
    }
    binding::RecordCursor find(
        module.api(), handle,
        ToAnsi(TrendQuery(endText, request.samplePeriod, *count, request.trend)));
    if (!find.Found()) {
      const QString why = FromAnsi(find.Failure());
      return {nullptr, QStringLiteral("Failed find any trend data!") +
                           (why.isEmpty() ? QString() : QLatin1Char(' ') + why)};
    }
    auto samples = std::make_shared<TrendSamples>(request.trend, FormatPeriodText(*start), endText,
                                                  request.samplePeriod);
    const std::string value = ToAnsi(request.trend);
    find.Walk([&] {
      samples->Add(FieldValue(find.Field("Date"), ValueRule::Trimmed),
                   FieldValue(find.Field("Time"), ValueRule::Trimmed),
                   FieldValue(find.Field(value), ValueRule::Trimmed));
      return true;
    });
    samples->Finish();
    return {std::move(samples), {}};
  } catch (const std::exception& e) {
    return {nullptr, QString::fromLocal8Bit(e.what())};
  }
}

}  // namespace logic
