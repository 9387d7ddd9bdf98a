// The server clock label: toggling, the caption of each tick, failover announcements and
// the ticks that find no server.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

const QString kStartCaption = "Click me to show connected SCADA Time";

struct Clock : MainWindowTest {
  QString caption() const { return w.lblSCADATime->text(); }
};

TEST_F(Clock, EachClickOnTheLabelTogglesTheTimerAndADoubleClickIsOneClick) {
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  const auto label = [&] { return w.lblSCADATime->geometry().center(); };
  QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, label());
  ASSERT_TRUE(w.Timer1->isActive());
  // A right click, or a press dragged off the label before its release, is no click.
  QTest::mouseClick(w.windowHandle(), Qt::RightButton, {}, label());
  QTest::mousePress(w.windowHandle(), Qt::LeftButton, {}, label());
  QTest::mouseRelease(w.windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(w.Timer1->isActive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return caption() != kStartCaption; }, 10000));
  EXPECT_EQ(caption(), "'s time: 12:00:00");
  QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, label());
  EXPECT_FALSE(w.Timer1->isActive());
  QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, label());
  EXPECT_TRUE(w.Timer1->isActive());
}

TEST_F(Clock, TickShowsTheTrimmedTimeWithOneLivenessTestOnceConnected) {
  local.time = "  10:20:30 ";
  w.lblStatus->setText("Status: before");
  w.Timer1_Timer();
  EXPECT_EQ(caption(), "'s time: 10:20:30") << "an empty computer name stays empty here";
  EXPECT_EQ(status(), "Status: before") << "the primary is not announced";
  EXPECT_EQ(api.countOf("znZncode"), 1) << "a fresh connection needs no liveness test";
  w.Timer1_Timer();
  EXPECT_EQ(api.argsOf("znZncode", 1), (Strings(3, "Time(1)")));
}

TEST_F(Clock, FailoverIsAnnouncedOnceAndTheReturnToThePrimaryAgain) {
  api.server("primary").time = "10:00:01";
  api.server("standby").time = "10:00:02";
  ReplaceText(w.txtComputer[0], "primary");
  ReplaceText(w.txtComputer[1], "standby");
  w.chkEnableRedundant->click();
  w.chkTryPrimary->click();
  w.lblStatus->setText("Status: before");
  w.Timer1_Timer();
  EXPECT_EQ(caption(), "primary's time: 10:00:01");
  EXPECT_EQ(status(), "Status: before");

  api.server("primary").up = false;
  w.Timer1_Timer();
  EXPECT_EQ(caption(), "standby's time: 10:00:02");
  EXPECT_EQ(status(), "Status: Connected to 'standby'.");
  w.lblStatus->setText("Status: something else");
  w.Timer1_Timer();
  EXPECT_EQ(status(), "Status: something else") << "the same server is not announced again";

  api.server("primary").up = true;
  w.Timer1_Timer();
  EXPECT_EQ(caption(), "primary's time: 10:00:01");
  EXPECT_EQ(status(), "Status: Connected to 'primary'.");
}

TEST_F(Clock, LetsEventsRunFirstAndDropsATickThatArrivesMeanwhile) {
  int nested = 0;
  host.onDoEvents = [&] {
    EXPECT_TRUE(api.calls.empty()) << "events run before the server is asked";
    if (nested++ == 0) w.Timer1_Timer();
  };
  w.Timer1_Timer();
  EXPECT_EQ(host.doEventsCount, 1);
  EXPECT_EQ(api.countOf("znZncode"), 1);
  host.onDoEvents = nullptr;
  w.Timer1_Timer();
  EXPECT_EQ(api.countOf("znZncode"), 3) << "the guard is released";
}

TEST_F(Clock, AMissingLibraryIsReportedOnceAndStopsTheClock) {
  const QStringList box = missingLibrary();
  w.lblSCADATime_Click();
  w.Timer1_Timer();
  EXPECT_EQ(host.shownBoxes(), box);
  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_EQ(caption(), kStartCaption);
}

TEST_F(Clock, NoTickReachesTheServerOnceTheWindowIsClosed) {
  w.show();
  w.close();
  api.calls.clear();
  w.Timer1_Timer();
  EXPECT_TRUE(api.calls.empty());
}

}  // namespace
}  // namespace app_test
