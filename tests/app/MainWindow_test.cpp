// The main window as it opens, its progress strip, Cancel Request and the close path.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "ConnectionTable.h"
#include "FakeHost.h"
#include "FakeZnApi.h"
#include "Widgets.h"
#include "frmTestConnection.h"

namespace {

struct MainWindow : ::testing::Test {
  fake::FakeZnApi api;
  server::basZNAPI module{api};
  fake::FakeHost host;
  frmTestConnection w{module, host};
};

TEST_F(MainWindow, OpensWithTheDesignedDefaults) {
  EXPECT_EQ(w.windowTitle(), "Test ZnAPI");
  EXPECT_EQ(w.txtComputer[0]->text(), "");
  EXPECT_EQ(w.txtUserID[1]->text(), "Engineer");
  EXPECT_EQ(w.txtPassword[0]->text(), "Marlow");
  EXPECT_EQ(w.txtPassword[0]->echoMode(), QLineEdit::Password);
  EXPECT_EQ(w.txtEndDateTime->text(), "Now()");
  EXPECT_EQ(w.txtDuration->text(), "10");
  EXPECT_EQ(w.txtSamplePeriod->text(), "2");
  EXPECT_EQ(w.cboUnits->currentText(), "Minutes");
  EXPECT_EQ(w.cboUnits->currentData().toInt(), 60);
  EXPECT_EQ(w.cboUnits->itemData(0).toInt(), 86400);
  EXPECT_TRUE(w.optRead[0]->isChecked());
  EXPECT_FALSE(w.cmdCancelRead->isEnabled());
  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_EQ(w.Timer1->interval(), 1000);
  EXPECT_EQ(w.lblStatus->text(), "Status:");
  EXPECT_EQ(w.lblSCADATime->toolTip(), "Click to toggle the timer.");
  for (QWidget* hidden :
       {static_cast<QWidget*>(w.picProgress), static_cast<QWidget*>(w.chkTryPrimary),
        static_cast<QWidget*>(w.lblRequestCount), static_cast<QWidget*>(w.txtOthers),
        static_cast<QWidget*>(w.txtSamplePeriod), static_cast<QWidget*>(w.lblTotalTagCount[2])})
    EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();

  const auto& t = module.table();
  EXPECT_EQ(t.Handle[0], 0);
  EXPECT_EQ(t.SlotCount, 1);
  EXPECT_EQ(t.OpenAllowed[0], server::kTrue);
  EXPECT_EQ(t.OpenAllowed[1], server::kTrue);
  EXPECT_TRUE(api.calls.empty()) << "nothing talks to a server at start";
}

TEST_F(MainWindow, PlacesControlsInTwipsAndNamesInputsAfterTheirLabels) {
  EXPECT_EQ(w.size(), QSize(607, 609));
  EXPECT_EQ(w.cmdExit->geometry(), QRect(512, 584, 97, 25));
  EXPECT_EQ(w.txtComputer[1]->parentWidget(), w.Frame1[1]);
  EXPECT_EQ(w.Frame1[2]->title(), "Primary");
  EXPECT_EQ(w.txtComputer[0]->accessibleName(), "Computer Name:");
  EXPECT_EQ(w.txtComputer[0]->accessibleDescription(), "Primary");
  EXPECT_EQ(w.txtPassword[1]->accessibleDescription(), "Standby");
  EXPECT_EQ(w.cboTagNames[2]->accessibleName(), "Trend Name:");
}

TEST_F(MainWindow, FocusFollowsTheDesignedTabOrder) {
  // The first stops: primary computer, user, password, Enable Redundant, Connect, Load Tags,
  // then the standby's boxes.
  std::vector<QWidget*> expected{w.txtComputer[0],     w.txtUserID[0],      w.txtPassword[0],
                                 w.chkEnableRedundant, w.cmdTestConnection, w.cmdLoadZontraSchema,
                                 w.txtComputer[1]};
  const auto nextTabStop = [](QWidget* from) {
    QWidget* n = from->nextInFocusChain();
    while (!(n->focusPolicy() & Qt::TabFocus)) n = n->nextInFocusChain();
    return n;
  };
  for (std::size_t i = 0; i + 1 < expected.size(); ++i)
    EXPECT_EQ(nextTabStop(expected[i]), expected[i + 1]) << i;
}

TEST_F(MainWindow, ProgressBarRoundsHalvesToEven) {
  w.picProgress->Clear();
  w.ShowProgress(1, 2.5f, "Loading tags...");
  EXPECT_EQ(w.picProgress->barTwips(), 2);
  w.ShowProgress(1, 3.5f, "Loading tags...");
  EXPECT_EQ(w.picProgress->barTwips(), 4);
  EXPECT_EQ(w.picProgress->caption(), "Loading tags...");
}

TEST_F(MainWindow, CancelSetsTheFlagAndRestoresThePointer) {
  host.SetPointer(ui::kPointerHourglass);
  w.cmdCancelRead_Click();
  EXPECT_EQ(w.CancelRequested, server::kTrue);
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(MainWindow, ExitClosesOnlyOpenHandles) {
  api.server("");
  w.cmdTestConnection->click();
  const auto h = module.table().Handle[0];
  ASSERT_GT(h, 0);
  api.calls.clear();
  w.cmdExit->click();
  ASSERT_EQ(api.countOf("znClose"), 1);
  EXPECT_EQ(api.callsOf("znClose")[0].args[0], std::to_string(h));
}

TEST_F(MainWindow, ClosingWithoutHandlesMakesNoLibraryCall) {
  w.close();
  EXPECT_TRUE(api.calls.empty());
}

TEST_F(MainWindow, CloseDuringALoopWaitsForTheLoopToEnd) {
  api.server("");
  w.cmdTestConnection->click();
  w.show();
  bool stillOpenInsideLoop = false;
  {
    frmTestConnection::BusyScope scope(w);
    w.cmdExit->click();  // a nested Exit while a loop runs
    stillOpenInsideLoop = w.isVisible() && w.CloseRequested();
    EXPECT_EQ(api.countOf("znClose"), 0) << "handles stay open while the loop uses them";
  }
  EXPECT_TRUE(stillOpenInsideLoop);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(api.countOf("znClose"), 1);
}

}  // namespace
