// The Call Log: the Log button and F12, in this window and in the list window, show every
// library call; the status line's tooltip gives the reason of the last call that failed in the
// operation it reports.
#include <QPushButton>
#include <QShortcut>

#include "CallLog.h"
#include "TextValues.h"
#include "Widgets.h"
#include "frmCallLog.h"
#include "frmTestConnection.h"

void frmTestConnection::ConnectCallLog() {
  cmdCallLog->setVisible(callLog_ != nullptr);
  if (!callLog_) return;
  statusCallMark_ = callLog_->end();
  // Each caption reports the calls made since the one before it.
  lblStatus->failure = [this] {
    const binding::CallRecord* failed = callLog_->LastFailureSince(statusCallMark_);
    statusCallMark_ = callLog_->end();
    return failed ? logic::FromAnsi(failed->reason) : QString();
  };
  connect(cmdCallLog, &QPushButton::clicked, this, &frmTestConnection::cmdCallLog_Click);
  OfferCallLog(this);
}

void frmTestConnection::cmdCallLog_Click() {
  ShowCallLog(this);
}

void frmTestConnection::OfferCallLog(QWidget* window) {
  if (!callLog_) return;
  connect(new QShortcut(Qt::Key_F12, window), &QShortcut::activated, this,
          [this, window] { ShowCallLog(window); });
}

void frmTestConnection::ShowCallLog(QWidget* opener) {
  if (!callLog_) return;
  if (!callLogWindow_) {
    callLogWindow_ = std::make_unique<calllog::frmCallLog>(*callLog_, host());
    callLogWindow_->setAttribute(Qt::WA_QuitOnClose, false);  // closing this window ends all
  }
  // Placed over the window it was asked from; owned by none, so that the list window, modal to
  // this window, leaves it usable.
  if (!callLogWindow_->isVisible()) {
    callLogWindow_->move(opener->window()->geometry().center() - callLogWindow_->rect().center());
  }
  callLogWindow_->show();
  callLogWindow_->raise();
  callLogWindow_->activateWindow();
}
