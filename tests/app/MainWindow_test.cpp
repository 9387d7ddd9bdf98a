// The main window as it opens, Cancel Request and the close path.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

using MainWindow = MainWindowTest;

TEST_F(MainWindow, OpensWithTheDesignedDefaults) {
  EXPECT_EQ(w.txtPassword[0]->echoMode(), QLineEdit::Password);
  EXPECT_EQ(w.txtEndDateTime->text(), "Now()");
  EXPECT_EQ(w.txtDuration->text(), "10");
  EXPECT_EQ(w.txtSamplePeriod->text(), "2");
  EXPECT_EQ(w.cboUnits->currentText(), "Minutes");
  EXPECT_TRUE(w.optRead[0]->isChecked());
  EXPECT_FALSE(w.cmdCancelRead->isEnabled());
  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_EQ(w.Timer1->interval(), 1000);
  for (QWidget* hidden :
       std::initializer_list<QWidget*>{w.picProgress, w.chkTryPrimary, w.lblRequestCount,
                                       w.txtOthers, w.txtSamplePeriod, w.lblTotalTagCount[2]})
    EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
  EXPECT_TRUE(api.calls.empty()) << "nothing talks to a server at start";
}

TEST_F(MainWindow, CancelSetsTheFlagAndRestoresThePointer) {
  host.SetPointer(ui::kPointerHourglass);
  w.cmdCancelRead_Click();
  EXPECT_EQ(w.CancelRequested, server::kTrue);
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(MainWindow, ExitClosesOnlyOpenHandles) {
  w.cmdTestConnection->click();
  const auto h = module.table().Handle[0];
  ASSERT_GT(h, 0);
  api.calls.clear();
  w.cmdExit->click();
  EXPECT_EQ(api.argsOf("znClose", 0), Strings{std::to_string(h)}) << "not the empty standby slot";
}

TEST_F(MainWindow, CloseDuringALoopWaitsForTheLoopToEnd) {
  w.cmdTestConnection->click();
  w.show();
  {
    frmTestConnection::BusyScope scope(w);
    w.cmdExit->click();  // a nested Exit while a loop runs
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(api.countOf("znClose"), 0) << "handles stay open while the loop uses them";
  }
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(api.countOf("znClose"), 1);
}

}  // namespace
}  // namespace app_test
