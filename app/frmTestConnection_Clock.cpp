// The server clock: a once-a-second probe that shows the server's time and, because every
// tick goes through GetConnection, announces a change of server on the status line.
#include <QLabel>
#include <QTimer>

#include "Host.h"
#include "PeriodTiming.h"
#include "SendableText.h"
#include "TextValues.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

void frmTestConnection::lblSCADATime_Click() {
  if (Timer1->isActive())
    Timer1->stop();
  else
    Timer1->start();
}

void frmTestConnection::Timer1_Timer() {
  // The tick lets events run first, and those events can hold the next tick: that one is
  // dropped rather than run inside this one.
  if (tickRunning_ || unloaded_) return;
  struct TickGuard {
    bool& running;
    explicit TickGuard(bool& r) : running(r) { running = true; }
    ~TickGuard() { running = false; }
  } guard(tickRunning_);

  host().DoEvents();
  if (unloaded_) return;
  // A box every second would stop the user typing; the next operation the user starts says
  // what cannot be sent.
  if (logic::UnsendableText(ConnectionTexts())) return;

  std::int32_t handle = 0;
  try {
    handle = module().GetConnection();
  } catch (const std::exception& e) {
    // Once is enough: the same error would come back every second.
    Timer1->stop();
    ReportLibraryError(e);
    return;
  }
  if (handle <= 0) return;

  std::string time;
  if (!module().CallServerFunction(handle, "Time(1)", time)) return;

  const std::int16_t slot = module().table().CurrentSlot;
  ui::SetCaption(lblSCADATime, logic::ServerTimeCaption(logic::FromAnsi(module().ComputerInUse()),
                                                        logic::FromAnsi(time)));
  if (slot != LastStatusSlot) {
    LastStatusSlot = slot;
    ui::SetCaption(lblStatus,
                   QStringLiteral("Status: Connected to '") + ServerName() + QStringLiteral("'."));
  }
}
