// The request panel: choosing a kind, checking the period inputs, dispatching a request and
// reporting how long it took.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "Host.h"
#include "PeriodTiming.h"
#include "TextValues.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace {

enum Kind : std::int16_t { kSummary = 0, kTrends = 1, kAlarms = 2, kDevice = 3, kZncode = 4 };

constexpr int kOthersWidthTwips = 7575;

void ShowRefusal(frmTestConnection& w, const char* text) {
  w.host().MsgBox(QString::fromLatin1(text), ui::kStyleInformation);
}

/// Runs the chosen kind of request. False when an input refused it before anything was
/// asked of the server (the box said why); true when the server was asked.
bool RunRequest(frmTestConnection& w, std::int32_t handle) {
  switch (w.RequestKind) {
    case kSummary:
      if (!w.ValidateTimeRange()) return false;
      w.QueryAlarmSummary(handle);
      return true;
    case kTrends:
      if (!w.ValidateTimeRange()) return false;
      if (!logic::ParseDecimal(w.txtSamplePeriod->text())) {
        ShowRefusal(w, "Incorrect sample period entry!");
        return false;
      }
      if (!w.CheckTrendRequest()) return false;
      w.QueryTrend(handle);
      return true;
    case kAlarms:
      w.QueryActiveAlarms(handle);
      return true;
    case kDevice:
      w.QueryDevice(handle, w.txtOthers->text());
      return true;
    case kZncode: {
      std::string result;
      if (w.module().CallServerFunction(handle, logic::ToAnsi(w.txtOthers->text()), result)) {
        w.txtRequestedData->setText(logic::FromAnsi(result));
        w.SetPaneLayout(logic::PaneLayout::Whole(w.txtOthers->text()));
      }
      return true;
    }
    default:
      return false;
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
  BusyScope scope(*this);
  // The reported time includes obtaining the connection.
  const ui::LocalDateTime start = host().Now();
  const auto connection = OpenHandlerConnection(ConnectionTest::Positive, ui::kPointerDefault);
  if (!connection) return;
  const std::int32_t handle = *connection;
  lblRequestCount->setVisible(true);
  cmdCancelRead->setEnabled(true);
  CancelRequested = binding::kFalse;
  bool asked = true;
  try {
    asked = RunRequest(*this, handle);
  } catch (const binding::LibraryError& e) {
    ReportLibraryError(e);
    asked = false;
  } catch (const std::exception&) {
    // A query that failed part way keeps what it wrote; the request still ends normally.
  }
  // A refused request leaves the status line alone: its box already said what was wrong,
  // and a timing line would read as if the server had answered it.
  if (asked) {
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
