// The server clock label: toggling, the caption of each tick, failover announcements and
// the ticks that find no server.
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>  // QTest::qWaitFor
#include <QCheckBox>
#include <QLabel>
#include <QTimer>

#include "ConnectionTable.h"
#include "FakeHost.h"
#include "FakeZnApi.h"
#include "Widgets.h"
#include "frmTestConnection.h"

namespace {

const QString kStartCaption = "Click me to show connected SCADA Time";

struct Clock : ::testing::Test {
  fake::FakeZnApi api;
  server::basZNAPI module{api};
  fake::FakeHost host;
  frmTestConnection w{module, host};

  Clock() { api.server("").time = "12:00:00"; }

  QString caption() const { return w.lblSCADATime->text(); }
  QString status() const { return w.lblStatus->text(); }

  void redundantPair(bool tryPrimaryFirst) {
    api.server("primary").time = "10:00:01";
    api.server("standby").time = "10:00:02";
    w.txtComputer[0]->setText("primary");
    w.txtComputer[1]->setText("standby");
    w.chkEnableRedundant->click();
    if (tryPrimaryFirst) w.chkTryPrimary->click();
  }
};

TEST_F(Clock, LabelClickTogglesTheTimerOnly) {
  w.lblSCADATime_Click();
  EXPECT_TRUE(w.Timer1->isActive());
  w.lblSCADATime_Click();
  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_EQ(caption(), kStartCaption);
  EXPECT_TRUE(api.calls.empty());
}

TEST_F(Clock, TickShowsTheServersTimeWithoutAnnouncingThePrimary) {
  api.server("").time = "  10:20:30 ";
  w.lblStatus->setText("Status: before");
  w.Timer1_Timer();
  EXPECT_EQ(caption(), "'s time: 10:20:30") << "an empty computer name stays empty here";
  EXPECT_EQ(status(), "Status: before");
  EXPECT_EQ(api.countOf("znZncode"), 1) << "a fresh connection needs no liveness test";

  api.server("").time = "10:20:31";
  w.Timer1_Timer();
  EXPECT_EQ(caption(), "'s time: 10:20:31");
  // Then one liveness test inside GetConnection and one call for the display.
  EXPECT_EQ(api.countOf("znZncode"), 3);
  for (const auto& c : api.callsOf("znZncode")) EXPECT_EQ(c.args[1], "Time(1)");
}

TEST_F(Clock, FailoverIsAnnouncedOnceAndTheReturnToThePrimaryAgain) {
  redundantPair(/*tryPrimaryFirst=*/true);
  w.lblStatus->setText("Status: before");
  w.Timer1_Timer();
  EXPECT_EQ(caption(), "primary's time: 10:00:01");
  EXPECT_EQ(status(), "Status: before");

  api.server("primary").up = false;
  w.Timer1_Timer();
  EXPECT_EQ(caption(), "standby's time: 10:00:02");
  EXPECT_EQ(status(), "Status: Connected to 'standby'.");
  EXPECT_EQ(w.LastStatusSlot, 1);

  w.lblStatus->setText("Status: something else");
  w.Timer1_Timer();
  EXPECT_EQ(status(), "Status: something else") << "the same server is not announced again";

  api.server("primary").up = true;
  w.Timer1_Timer();
  EXPECT_EQ(caption(), "primary's time: 10:00:01");
  EXPECT_EQ(status(), "Status: Connected to 'primary'.");
  EXPECT_EQ(w.LastStatusSlot, 0);
}

TEST_F(Clock, AnnouncesAnEmptyComputerNameAsLocal) {
  api.server("").up = false;
  api.server("standby").time = "09:00:00";
  w.txtComputer[1]->setText("standby");
  w.chkEnableRedundant->click();
  w.chkTryPrimary->click();
  w.Timer1_Timer();
  EXPECT_EQ(status(), "Status: Connected to 'standby'.");

  api.server("").up = true;
  w.Timer1_Timer();
  EXPECT_EQ(caption(), "'s time: 12:00:00");
  EXPECT_EQ(status(), "Status: Connected to 'LOCAL'.");
}

TEST_F(Clock, TicksWithoutATimeOrAServerChangeNothing) {
  api.server("").time = "10:20:30";
  w.Timer1_Timer();
  w.lblStatus->setText("Status: before");

  // The server passes the liveness test but does not answer the display call.
  int calls = 0;
  api.server("").zncode = [&](const std::string&) -> std::optional<std::string> {
    return ++calls % 2 == 1 ? std::optional<std::string>("10:59:59") : std::nullopt;
  };
  w.Timer1_Timer();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(caption(), "'s time: 10:20:30");

  api.server("").up = false;
  w.Timer1_Timer();
  w.Timer1_Timer();
  EXPECT_EQ(caption(), "'s time: 10:20:30");
  EXPECT_EQ(status(), "Status: before");
  EXPECT_TRUE(host.boxes.empty());
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
  EXPECT_EQ(caption(), "'s time: 12:00:00");
  // The guard is released: the next tick runs.
  host.onDoEvents = nullptr;
  w.Timer1_Timer();
  EXPECT_EQ(api.countOf("znZncode"), 3);
}

TEST_F(Clock, AMissingLibraryIsReportedOnceAndStopsTheClock) {
  api.missingLibrary = "libznapi.so: cannot open shared object file";
  w.lblSCADATime_Click();
  w.Timer1_Timer();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].shownTitle(), "Error");
  EXPECT_EQ(host.boxes[0].style, ui::kStyleCritical);
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

TEST_F(Clock, TimerDrivesTheTicks) {
  w.lblSCADATime_Click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return caption() != kStartCaption; }, 10000));
  EXPECT_EQ(caption(), "'s time: 12:00:00");
}

}  // namespace
