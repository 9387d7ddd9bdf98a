// The list window against a real simulator through the real library: names loaded by the
// main window, moved, read in one list request, edited, written and read back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>

#include "DynamicZnApi.h"
#include "FakeHost.h"
#include "TextDragList.h"
#include "Widgets.h"
#include "ZnsimProcess.h"
#include "basZNAPI.h"
#include "frmListRead.h"
#include "frmTestConnection.h"

namespace {

using testing_support::ZnsimProcess;

int RowOf(const QListWidget* list, const QString& text) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text() == text) return i;
  return -1;
}

// Runs `inside` on the modal list window that List Read opens, then closes it.
bool WithListWindow(frmTestConnection& main, const std::function<void(frmListRead&)>& inside) {
  bool opened = false;
  QTimer probe;
  probe.setSingleShot(true);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    auto* form = dynamic_cast<frmListRead*>(QApplication::activeModalWidget());
    if (!form) return;
    opened = true;
    inside(*form);
    form->cmdExit->click();
  });
  probe.start(0);
  main.cmdListRead->click();
  return opened;
}

TEST(ListReadEndToEnd, ReadSetWriteAndReadBackThroughTheListWindow) {
  ZnsimProcess sim;
  server::DynamicZnApi library;
  server::basZNAPI module(library);
  fake::FakeHost host;
  frmTestConnection main(module, host);
  main.txtComputer[0]->setText(QString::fromStdString(sim.address()));
  main.cmdTestConnection->click();
  main.cmdLoadZontraSchema->click();
  ASSERT_TRUE(host.boxes.empty()) << host.boxes.front().text.toStdString();
  ASSERT_GE(main.cboTagNames[0]->findText("PLANT_Message"), 0);
  const QString server = QString::fromStdString(sim.address());

  const bool opened = WithListWindow(main, [&](frmListRead& form) {
    for (const char* name : {"PLANT_Message", "CL_Residual_SP"}) {
      const int row = RowOf(form.lstAvailable, name);
      ASSERT_GE(row, 0) << name;
      form.lstAvailable->item(row)->setSelected(true);
    }
    form.cmdSelect[0]->click();
    form.optLists[1]->click();
    form.txtValue->setText("NO_SUCH_TAG");
    form.cmdAdd->click();
    ASSERT_EQ(form.lstTagNames->count(), 3);

    form.cmdRead->click();
    ASSERT_EQ(form.lstTagValues->count(), 3);
    const int message = RowOf(form.lstTagNames, "PLANT_Message");
    const int setpoint = RowOf(form.lstTagNames, "CL_Residual_SP");
    const int missing = RowOf(form.lstTagNames, "NO_SUCH_TAG");
    EXPECT_EQ(form.lstTagValues->item(message)->text(), "Filter 4 media check due");
    EXPECT_DOUBLE_EQ(form.lstTagValues->item(setpoint)->text().toDouble(), 0.8);
    const QString failed = form.lstTagValues->item(missing)->text();
    EXPECT_TRUE(failed == "TAG ADD FAILED: 'NO_SUCH_TAG'" ||
                failed == "TAG READ FAILED: 'NO_SUCH_TAG'")
        << failed.toStdString();
    EXPECT_TRUE(main.lblStatus->text().endsWith("from '" + server + "'."));

    form.optLists[2]->click();
    form.lstTagValues->clearSelection();
    form.lstTagValues->setCurrentRow(message, QItemSelectionModel::Select);
    form.txtValue->setText("Filter 5 check due");
    form.cmdSetValue->click();
    form.lstTagValues->clearSelection();
    form.lstTagValues->setCurrentRow(setpoint, QItemSelectionModel::Select);
    form.txtValue->setText("0.95");
    form.cmdSetValue->click();

    form.cmdWrite->click();
    // The missing tag's failure line is not sent, and the status line says so.
    EXPECT_TRUE(main.lblStatus->text().startsWith("Status: Writing the list takes about"));
    EXPECT_TRUE(main.lblStatus->text().endsWith("to '" + server + "'. 1 of 3 tag(s) not written."))
        << main.lblStatus->text().toStdString();

    form.cmdRead->click();
    EXPECT_EQ(form.lstTagValues->item(message)->text(), "Filter 5 check due");
    EXPECT_DOUBLE_EQ(form.lstTagValues->item(setpoint)->text().toDouble(), 0.95);
  });
  ASSERT_TRUE(opened);
  EXPECT_TRUE(host.boxes.empty());

  // The server holds the values, not just the window.
  const auto value = module.ReadTagValue(module.GetConnection(), "PLANT_Message");
  ASSERT_TRUE(std::holds_alternative<std::string>(value));
  EXPECT_EQ(std::get<std::string>(value), "Filter 5 check due");
  main.close();
}

}  // namespace
