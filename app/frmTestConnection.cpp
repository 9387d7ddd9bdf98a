#include "frmTestConnection.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cmath>

#include "Host.h"
#include "SendableText.h"
#include "TextValues.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmCallLog.h"
#include "frmWatch.h"

frmTestConnection::frmTestConnection(binding::basZNAPI& module, ui::Host& host,
                                     binding::CallLog* callLog, QWidget* parent)
    : QWidget(parent), module_(module), host_(host), callLog_(callLog) {
  BuildControls();
  ConnectHandlers();
  Form_Load();
}

frmTestConnection::~frmTestConnection() {
  for (const QPointer<watch::frmWatch>& window : watchWindows_) delete window.data();
}

void frmTestConnection::Form_Load() {
  auto& table = module_.table();
  table.Handle = {0, 0};
  cboUnits->setCurrentIndex(2);  // "Minutes"
  table.SlotCount = 1;
  table.OpenAllowed = {binding::kTrue, binding::kTrue};
}

void frmTestConnection::Form_Unload() {
  // Runs once however the window is closed (Exit, close box, end of a pending close).
  if (unloaded_) return;
  unloaded_ = true;
  Timer1->stop();
  module_.CloseAll();
}

void frmTestConnection::cmdExit_Click() {
  close();
}

void frmTestConnection::cmdCancelRead_Click() {
  CancelRequested = binding::kTrue;
  host_.SetPointer(ui::kPointerDefault);
}

void frmTestConnection::ShowProgress(std::int32_t position, float unitWidth,
                                     const QString& caption) {
  // Halves go to the even neighbour, as the host's own rounding does.
  const double width = std::nearbyint(static_cast<double>(position) * unitWidth);
  const int bar = width > INT32_MAX ? INT32_MAX : width < INT32_MIN ? INT32_MIN : int(width);
  picProgress->PrintCaption(caption);
  picProgress->FillBar(bar);
}

QString frmTestConnection::ServerName() const {
  return logic::FromAnsi(module_.ServerName());
}

void frmTestConnection::ReportLibraryError(const std::exception& error) {
  host_.MsgBox(QString::fromLocal8Bit(error.what()), ui::kStyleCritical, QStringLiteral("Error"));
}

std::optional<std::int32_t> frmTestConnection::OpenHandlerConnection(ConnectionTest test,
                                                                     int pointerOnFailure) {
  if (!logic::Sendable(host_, ConnectionTexts())) return std::nullopt;
  host_.SetPointer(ui::kPointerHourglass);
  std::int32_t handle = 0;
  try {
    handle = module_.GetConnection();
  } catch (const std::exception& e) {
    ReportLibraryError(e);
    host_.SetPointer(pointerOnFailure);
    return std::nullopt;
  }
  if (test == ConnectionTest::NonZero ? handle != 0 : handle > 0) return handle;
  ui::SetCaption(lblStatus, QStringLiteral("Status: No ZNAPI connection is available."));
  host_.SetPointer(pointerOnFailure);
  return std::nullopt;
}

frmTestConnection::BusyScope::BusyScope(frmTestConnection& w) : w_(w), outer_(!w.busy_) {
  w_.busy_ = true;
}

frmTestConnection::BusyScope::~BusyScope() {
  if (!outer_) return;
  w_.busy_ = false;
  if (w_.closeRequested_) w_.close();
}

void frmTestConnection::closeEvent(QCloseEvent* event) {
  // A loop that lets events run still holds this window's controls: let it end after the
  // current item, and close when it returns.
  if (busy_) {
    closeRequested_ = true;
    event->ignore();
    return;
  }
  Form_Unload();
  event->accept();
}
