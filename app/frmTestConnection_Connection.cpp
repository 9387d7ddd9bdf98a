// The connection boxes, the two redundancy check boxes and Connect.
#include <QCheckBox>
#include <QLabel>

#include "Host.h"
#include "SendableText.h"
#include "TextValues.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

void frmTestConnection::LoadConnectionSettings() {
  chkTryPrimary->setVisible(chkEnableRedundant->isChecked());
  auto& table = module_.table();
  for (int i = 0; i < 2; ++i) {
    table.Computer[i] = logic::ToAnsi(txtComputer[i]->text());
    table.UserID[i] = logic::ToAnsi(txtUserID[i]->text());
    table.Password[i] = logic::ToAnsi(txtPassword[i]->text());
  }
  // Whatever "Enable Redundant" says.
  table.SlotCount = binding::SlotCountFor(table);
}

void frmTestConnection::chkEnableRedundant_Click() {
  if (!chkEnableRedundant->isChecked()) chkTryPrimary->setChecked(false);
  LoadConnectionSettings();
}

void frmTestConnection::chkTryPrimary_Click() {
  module_.table().TryPrimaryFirst = chkTryPrimary->isChecked() ? binding::kTrue : binding::kFalse;
}

QStringList frmTestConnection::ConnectionTexts() const {
  QStringList texts;
  for (int i = 0; i < module_.table().SlotCount && i < 2; ++i)
    texts << txtComputer[i]->text() << txtUserID[i]->text() << txtPassword[i]->text();
  return texts;
}

void frmTestConnection::cmdTestConnection_Click() {
  if (Busy()) return;
  host_.SetPointer(ui::kPointerHourglass);
  LoadConnectionSettings();
  if (!logic::Sendable(host_, ConnectionTexts())) {
    host_.SetPointer(ui::kPointerDefault);
    return;
  }
  try {
    // Connect reaches what the boxes say, also a primary given anew after a failover.
    module_.ReopenChangedSlots();
    if (module_.GetConnection() != 0) {
      ui::SetCaption(lblStatus, "Status: Connected to '" + ServerName() + "'.");
    } else {
      host_.MsgBox("Connection failed.", ui::kStyleCritical, QStringLiteral("ZnAPI Connection"),
                   logic::FromAnsi(module_.ConnectionFailure()));
    }
  } catch (const std::exception& e) {
    ReportLibraryError(e);
  }
  host_.SetPointer(ui::kPointerDefault);
}

void frmTestConnection::txtComputer_Change(int index) {
  module_.table().Computer[index] = logic::ToAnsi(txtComputer[index]->text());
}

void frmTestConnection::txtUserID_Change(int index) {
  module_.table().UserID[index] = logic::ToAnsi(txtUserID[index]->text());
}

void frmTestConnection::txtPassword_Change(int index) {
  module_.table().Password[index] = logic::ToAnsi(txtPassword[index]->text());
}

void frmTestConnection::txtComputer_GotFocus(int index) {
  txtComputer[index]->setSelection(0, static_cast<int>(txtComputer[index]->text().size()));
}

void frmTestConnection::txtUserID_GotFocus(int index) {
  txtUserID[index]->setSelection(0, static_cast<int>(txtUserID[index]->text().size()));
}

void frmTestConnection::txtPassword_GotFocus(int index) {
  txtPassword[index]->setSelection(0, static_cast<int>(txtPassword[index]->text().size()));
}
