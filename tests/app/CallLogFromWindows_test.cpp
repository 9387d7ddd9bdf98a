// The Call Log from the windows: F12 and the Log button open it, also over the list window,
// which holds only the main window; it shows a failed Connect with its reason; and the status
// line's tooltip says why the operation it reports failed.
#include <QApplication>
#include <QCheckBox>
#include <QTableView>
#include <QWindow>

#include "CallLogModel.h"
#include "MainWindowFixture.h"
#include "frmCallLog.h"
#include "frmListRead.h"

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
  EXPECT_EQ(host.shownBoxes(), QStringList{"ZnAPI Connection|critical|Connection failed."})
      << "the box is as it was";
  EXPECT_EQ(host.boxes[0].informative, "login refused for user 'Engineer'");
  EXPECT_EQ(status(), "Status:");

  QTest::keyClick(&w, Qt::Key_F12);
  ASSERT_NE(log(), nullptr);
  EXPECT_TRUE(log()->isVisible());
  log()->close();
  QTest::mouseClick(w.cmdCallLog, Qt::LeftButton);
  EXPECT_TRUE(log()->isVisible());

  local.up = true;
  w.cmdTestConnection->click();  // opens, then the next Connect tests it with Time(1)
  w.cmdTestConnection->click();
  log()->Refresh();
  EXPECT_EQ(Column(calllog::kOperation), (QStringList{"znOpen", "znOpen", "znZncode"}));
  QTest::mouseClick(log()->chkFailuresOnly, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_EQ(Column(calllog::kArguments), QStringList{"\"\", \"Engineer\", ******, 0"});
  EXPECT_EQ(Column(calllog::kReason), QStringList{"login refused for user 'Engineer'"});
}

TEST_F(CallLogFromWindows, OpensOverTheModalListWindowAndTakesInputThere) {
  bool toggled = false;
  QTimer::singleShot(0, [&] {
    auto* list = dynamic_cast<frmListRead*>(QApplication::activeModalWidget());
    ASSERT_NE(list, nullptr);
    const auto inside = [&] {
      list->activateWindow();
      EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == list; }));
      QTest::keyClick(list, Qt::Key_F12);
      ASSERT_NE(log(), nullptr);
      ASSERT_TRUE(QTest::qWaitForWindowExposed(log()));
      // A click through the window system, which drops input to windows a modal one blocks.
      const QPoint at = log()->chkFailuresOnly->mapTo(log(), QPoint(8, 8));
      QTest::mouseClick(log()->windowHandle(), Qt::LeftButton, {}, at);
      toggled = log()->chkFailuresOnly->isChecked();
    };
    inside();
    list->close();  // also when a check failed, so the test ends
  });
  w.cmdListRead->click();
  EXPECT_TRUE(toggled);
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

TEST_F(CallLogFromWindows, StaysUsableWhileTheListWindowHoldsTheMainWindow) {
  QTest::keyClick(&w, Qt::Key_F12);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(log()));
  bool toggled = false;
  bool mainTookInput = true;
  QTimer::singleShot(0, [&] {
    auto* list = dynamic_cast<frmListRead*>(QApplication::activeModalWidget());
    ASSERT_NE(list, nullptr);
    const auto inside = [&] {
      EXPECT_EQ(list->windowModality(), Qt::WindowModal);
      // Clicks through the window system, which drops input to windows a modal one blocks.
      const auto click = [](QWidget* control) {
        QTest::mouseClick(control->window()->windowHandle(), Qt::LeftButton, {},
                          control->mapTo(control->window(), QPoint(8, 8)));
      };
      click(log()->chkFailuresOnly);
      toggled = log()->chkFailuresOnly->isChecked();
      click(w.chkEnableRedundant);
      mainTookInput = w.chkEnableRedundant->isChecked();
    };
    inside();
    list->close();  // also when a check failed, so the test ends
  });
  w.cmdListRead->click();
  EXPECT_TRUE(toggled) << "the Call Log takes input";
  EXPECT_FALSE(mainTookInput) << "the main window waits for the list window";
}

}  // namespace
}  // namespace app_test
