// List Read: opens a fresh list window over this one, offering the loaded tag names.
#include <QComboBox>

#include "Host.h"
#include "Widgets.h"
#include "frmListRead.h"
#include "frmTestConnection.h"

void frmTestConnection::cmdListRead_Click() {
  if (Busy()) return;
  frmListRead form(module(), host(), lblStatus, this);
  form.ZNAPIHandle(0);
  form.ConnectionTexts = [this] { return ConnectionTexts(); };
  // Modal to this window only: the Call Log, a window of its own, keeps taking input.
  form.setWindowModality(Qt::WindowModal);
  OfferCallLog(&form);
  form.OfferWatch([this](const QStringList& tags) { OpenWatch(tags); });
  host().SetPointer(ui::kPointerHourglass);
  form.FillTagNames(cboTagNames[0]);
  host().SetPointer(ui::kPointerDefault);
  form.exec();
}
