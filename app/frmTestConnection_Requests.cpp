// The request panel: choosing a kind, checking the period inputs, dispatching a request and
// reporting how long it took.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "Host.h"
#include "PeriodTiming.h"
#include "SendableText.h"
#include "TextValues.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace {

enum Kind : std::int16_t { kSummary = 0, kTrends = 1, kAlarms = 2, kDevice = 3, kZncode = 4 };

constexpr int kOthersWidthTwips = 7575;
constexpr int kTrendNameBox = 2;

void ShowRefusal(frmTestConnection& w, const char* text) {
  w.host().MsgBox(QString::fromLatin1(text), ui::kStyleInformation);
}

/// The typed texts that the chosen kind sends to the library.
QStringList SentTexts(const frmTestConnection& w) {
  switch (w.RequestKind) {
    case kTrends:
      return {w.cboTagNames[kTrendNameBox]->currentText(), w.txtSamplePeriod->text()};
    case kDevice:
    case kZncode:
      return {w.txtOthers->text()};
    default:
      return {};
  }
}

/// Runs the chosen kind of request; an input that refuses it shows its box and asks the
/// server nothing.
void RunRequest(frmTestConnection& w, std::int32_t handle) {
  switch (w.RequestKind) {
    case kSummary:
      if (w.ValidateTimeRange()) w.QueryAlarmSummary(handle);
      return;
    case kTrends:
      if (!w.ValidateTimeRange()) return;
      if (!logic::ParseDecimal(w.txtSamplePeriod->text())) {
        ShowRefusal(w, "Incorrect sample period entry!");
        return;
      }
      if (w.CheckTrendRequest()) w.QueryTrend(handle);
      return;
    case kAlarms:
      w.QueryActiveAlarms(handle);
      return;
    case kDevice:
      w.QueryDevice(handle, w.txtOthers->text());
      return;
    case kZncode: {
      std::string result;
      if (w.module().CallServerFunction(handle, logic::ToAnsi(w.txtOthers->text()), result)) {
        w.ResetPaneTable().SetWhole(w.txtOthers->text(), logic::FromAnsi(result));
        w.txtRequestedData->Refresh();
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace

void frmTestConnection::optRead_Click(std::int16_t index) {
  if (index < kSummary || index > kZncode) return;
  RequestKind = index;
  const bool period = index == kSummary || index == kTrends || index == kAlarms;
  const bool others = index == kDevice || index == kZncode;
  lblDateTime[0]->setVisible(period);
  txtEndDateTime->setVisible(period);
  lblDateTime[1]->setVisible(period);
  txtDuration->setVisible(period);
  cboUnits->setVisible(period);
  lblSamplePeriod->setVisible(index == kTrends);
  txtSamplePeriod->setVisible(index == kTrends);
  lblOthers->setVisible(others);
  txtOthers->setVisible(others);
  if (!others) return;
  ui::SetCaption(lblOthers,
                 index == kDevice ? QStringLiteral("Device Name:") : QStringLiteral("Func Name:"));
  // The name or function box takes the row of the end time, which these kinds do not use.
  txtOthers->setGeometry(cboTagNames[1]->x(), txtEndDateTime->y(),
                         ui::TwipsToPixels(kOthersWidthTwips), txtOthers->height());
  lblOthers->move(lblDateTime[0]->pos());
}

void frmTestConnection::cmdReadAlarmTrend_Click() {
  if (Busy()) return;
  if (!logic::Sendable(host(), SentTexts(*this))) return;
  BusyScope scope(*this);
  // The reported time includes obtaining the connection.
  const ui::LocalDateTime start = host().Now();
  requestStart_ = start;
  const auto connection = OpenHandlerConnection(ConnectionTest::Positive, ui::kPointerDefault);
  if (!connection) return;
  const std::int32_t handle = *connection;
  lblRequestCount->setVisible(true);
  cmdCancelRead->setEnabled(true);
  CancelRequested = binding::kFalse;
  bool libraryFailed = false;
  try {
    RunRequest(*this, handle);
  } catch (const binding::LibraryError& e) {
    ReportLibraryError(e);
    libraryFailed = true;
  } catch (const std::exception&) {
    // A query that failed part way keeps what it wrote; the request still ends normally.
  }
  // Also after an input refused the request: the line tells which server the request got.
  if (!libraryFailed) {
    const std::int32_t seconds = logic::ElapsedSeconds(start, host().Now());
    ui::SetCaption(lblStatus, logic::TimingMessage(QStringLiteral("Status: Request"),
                                                   QStringLiteral("from"), seconds, ServerName()));
  }
  cmdCancelRead->setEnabled(false);
  host().SetPointer(ui::kPointerDefault);
}

bool frmTestConnection::ValidateTimeRange() {
  const QString endInput = txtEndDateTime->text();
  const std::optional<ui::LocalDateTime> end =
      endInput == logic::kNowKeyword ? std::optional(host().Now()) : logic::ParseDateTime(endInput);
  if (!end) {
    ShowRefusal(*this, "Incorrect date time entry!");
    txtEndDateTime->setFocus();
    return false;
  }
  RequestEndText = logic::FormatPeriodText(*end);

  bool unitOk = false;
  const std::int32_t unitSeconds = cboUnits->currentData().toInt(&unitOk);
  const auto seconds =
      unitOk ? logic::DurationSeconds(txtDuration->text(), unitSeconds) : std::nullopt;
  const auto start = seconds ? logic::PeriodStart(*end, *seconds) : std::nullopt;
  if (!start) {
    ShowRefusal(*this, "Incorrect duration entry!");
    return false;
  }
  RequestStartText = logic::FormatPeriodText(*start);
  return true;
}
