// The list window against a real simulator through the real library: not opened while the
// main window is busy; names loaded by the main window, moved, read in one list request,
// edited, written and read back.
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <functional>

#include "TextDragList.h"
#include "Widgets.h"
#include "WindowOnServer.h"
#include "frmListRead.h"

namespace {

int RowOf(const QListWidget* list, const QString& text) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text() == text) return i;
  return -1;
}

// Runs `inside` on the modal list window that List Read opens, then closes it. The probe is
// owned here, so a window that never opens leaves no timer behind.
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

using ListReadEndToEnd = e2e_test::WindowOnServer;

TEST_F(ListReadEndToEnd, ReadSetWriteAndReadBackThroughTheListWindow) {
  {
    frmTestConnection::BusyScope busy(w);
    host.pointers.clear();
    EXPECT_FALSE(WithListWindow(w, [](frmListRead&) {})) << "not while another handler runs";
    EXPECT_TRUE(host.pointers.empty());
  }
  w.cmdLoadZontraSchema->click();
  ASSERT_TRUE(host.boxes.empty()) << host.boxes.front().text.toStdString();
  ASSERT_GE(w.cboTagNames[0]->findText("PLANT_Message"), 0);

  const bool opened = WithListWindow(w, [&](frmListRead& form) {
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
    EXPECT_TRUE(w.lblStatus->text().endsWith("from '" + server + "'."));

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
    EXPECT_TRUE(w.lblStatus->text().startsWith("Status: Writing the list takes about"));
    EXPECT_TRUE(w.lblStatus->text().endsWith("to '" + server + "'. 1 of 3 tag(s) not written."))
        << w.lblStatus->text().toStdString();

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
}

}  // namespace
