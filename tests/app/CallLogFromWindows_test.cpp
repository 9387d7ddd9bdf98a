// The Call Log from the windows: F12 and the Log button open it, also over the list window,
// which holds only the main window; it shows a failed Connect with its reason; and the status
// line's tooltip says why the operation it reports failed.
#include <QApplication>
#include <QCheckBox>

#include "CallLogModel.h"
#include "MainWindowFixture.h"
#include "frmCallLog.h"

namespace app_test {
namespace {

struct CallLogFromWindows : MainWindowTest {
  CallLogFromWindows() {
    w.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
  }
  calllog::frmCallLog* log() const { return w.CallLogWindow(); }
  /// The column of every row the Call Log shows.
  QStringList Column(calllog::Column column) const {
    QStringList out;
    for (int row = 0; row < log()->model->rowCount(); ++row) {
      out << log()->model->index(row, column).data().toString();
    }
    return out;
  }
};

TEST_F(CallLogFromWindows, OpensFromKeyAndButtonAndShowsTheFailedConnectWithItsReason) {
  local.up = false;
  api.reasons["znOpen"] = "login refused for user 'Engineer'";
  QTest::mouseClick(w.cmdTestConnection, Qt::LeftButton);
  QTest::keyClick(&w, Qt::Key_F12);
  ASSERT_NE(log(), nullptr);
  EXPECT_TRUE(log()->isVisible());
  log()->close();
  QTest::mouseClick(w.cmdCallLog, Qt::LeftButton);
  EXPECT_TRUE(log()->isVisible());
  QTest::mouseClick(log()->chkFailuresOnly, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_EQ(Column(calllog::kArguments), QStringList{"\"\", \"Engineer\", ******, 0"});
  EXPECT_EQ(Column(calllog::kReason), QStringList{"login refused for user 'Engineer'"});
}

TEST_F(CallLogFromWindows, OpensOverTheModalListWindowAndTakesInputThereWhileTheMainWindowWaits) {
  bool toggled = false;
  bool mainTookInput = true;
  WhileListWindowShown([&](frmListRead& list) {
    EXPECT_EQ(list.windowModality(), Qt::WindowModal);
    list.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &list; }));
    QTest::keyClick(&list, Qt::Key_F12);
    ASSERT_NE(log(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(log()));
    ClickThroughWindowSystem(log()->chkFailuresOnly);
    toggled = log()->chkFailuresOnly->isChecked();
    ClickThroughWindowSystem(w.chkEnableRedundant);
    mainTookInput = w.chkEnableRedundant->isChecked();
  });
  EXPECT_TRUE(toggled) << "the Call Log takes input";
  EXPECT_FALSE(mainTookInput) << "the main window waits for the list window";
}

TEST_F(CallLogFromWindows, StatusTooltipGivesTheReasonOfTheOperationShown) {
  api.reasons["znTagRead"] = "unknown tag 'NOPE_TAG'";
  local.tags["LIT101"] = "2.5";
  local.writeRefused.insert("LIT101");
  const auto read = [&](const QString& tag) {
    ReplaceText(w.cboTagNames[0], tag);
    w.cmdRead->click();
  };
  read("NOPE_TAG");
  EXPECT_EQ(status(), "Status: reading NOPE_TAG failed.");
  EXPECT_EQ(w.lblStatus->toolTip(), "unknown tag 'NOPE_TAG'");
  read("LIT101");
  EXPECT_EQ(w.lblStatus->toolTip(), "") << "that read failed nothing";
  ReplaceText(w.txtValue, "3");
  w.cmdWrite->click();
  EXPECT_EQ(status(), "Status: Writing to LIT101 failed.");
  EXPECT_EQ(w.lblStatus->toolTip(), "") << "a library that gives no reasons works as before";

  local.tables["ZNAPIAlarm(0, 0, 0)"].records = {{{"Tag", "T1"}}, {{"Tag", "T2"}}};
  api.reasons["znFindNext"] = "no more records";
  request(2);
  EXPECT_EQ(status(), "Status: Request takes about 1 second from 'LOCAL'.");
  EXPECT_EQ(w.lblStatus->toolTip(), "") << "the end of a walk is no failure";
}

}  // namespace
}  // namespace app_test
