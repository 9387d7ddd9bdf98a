// The trend query: a header line, then one row per sample (date, time, value), until the
// last sample or Cancel Request.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>

#include "Host.h"
#include "PaneTable.h"
#include "PeriodTiming.h"
#include "QueryTexts.h"
#include "RecordCsv.h"
#include "RecordCursor.h"
#include "TextValues.h"
#include "TrendCsv.h"
#include "TrendSamples.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace {

constexpr int kTrendNameBox = 2;
// The value field is named like the trend, and the Trend Name box stays editable while the
// query lets events run: every use reads the box afresh.
QString TrendName(frmTestConnection& w) {
  return w.cboTagNames[kTrendNameBox]->currentText();
}

}  // namespace

std::optional<std::int32_t> frmTestConnection::CheckTrendRequest() {
  if (TrendName(*this).isEmpty()) {
    host().MsgBox(QStringLiteral("No trend is selected!"), ui::kStyleInformation);
    return std::nullopt;
  }
  const auto length = logic::PeriodLength(RequestStartText, RequestEndText);
  const auto count = length ? logic::SampleCount(*length, txtSamplePeriod->text()) : std::nullopt;
  if (!count) {
    host().MsgBox(QStringLiteral("Incorrect sample period entry!"), ui::kStyleInformation);
    return std::nullopt;
  }
  return count;
}

void frmTestConnection::QueryTrend(std::int32_t handle) {
  const auto count = CheckTrendRequest();
  if (!count) return;
  const auto samples = BeginTrendSamples(*count);
  const auto endSamples = qScopeGuard([this] { EndTrendSamples(); });
  binding::RecordCursor find(
      module().api(), handle,
      logic::ToAnsi(
          logic::TrendQuery(RequestEndText, txtSamplePeriod->text(), *count, TrendName(*this))));
  if (!find.Found()) {
    host().MsgBox(QStringLiteral("Failed find any trend data!"), ui::kStyleInformation,
                  std::nullopt, logic::FromAnsi(find.Failure()));
    return;
  }
  logic::PaneTable& table =
      ResetPaneTable({QStringLiteral("Date"), QStringLiteral("Time"), TrendName(*this)});
  const QString trend = TrendName(*this);
  table.Append(QStringLiteral("Date    \tTime        \t") + trend + QStringLiteral("\r\n"));
  SetPaneFile({logic::RequestFileName(trend, RequestEndText),
               [this, trend] {
                 return logic::TrendCsvHeader(trend, TrendUnits(trend).value_or(QString()));
               },
               logic::TrendCsvRow});
  const auto field = [&](const std::string& name) {
    return logic::FieldValue(find.Field(name), logic::ValueRule::Trimmed);
  };
  ShowRecords(
      find, lblRequestCount,
      [&] {
        const QString date = field("Date");
        table.AddValue(date, QLatin1String("\t"));
        const QString time = field("Time");
        table.AddValue(QStringView(time).left(8),
                       QLatin1String("\t"));  // whole seconds; some add fractions
        const QString value = field(logic::ToAnsi(TrendName(*this)));
        table.AddValue(value, QLatin1String("\r\n"));
        samples->Add(date, time, value);
      },
      [&] { return CancelRequested != 0; });
}
