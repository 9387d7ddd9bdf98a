// Connection boxes, slot counting, the redundancy check boxes and Connect.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "ConnectionTable.h"
#include "FakeHost.h"
#include "FakeZnApi.h"
#include "Widgets.h"
#include "frmTestConnection.h"

namespace {

struct Connection : ::testing::Test {
  fake::FakeZnApi api;
  server::basZNAPI module{api};
  fake::FakeHost host;
  frmTestConnection w{module, host};
  server::ConnectionTable& table = module.table();
};

TEST_F(Connection, EditsReachTheTableKeystrokeByKeystrokeWithoutRecountingSlots) {
  w.txtComputer[1]->setText("standby");
  w.txtUserID[0]->setText("Operator");
  w.txtPassword[1]->setText("secret");
  EXPECT_EQ(table.Computer[1], "standby");
  EXPECT_EQ(table.UserID[0], "Operator");
  EXPECT_EQ(table.Password[1], "secret");
  EXPECT_EQ(table.SlotCount, 1);
  EXPECT_EQ(table.UserID[1], "") << "untouched boxes reach the table only when loaded";
}

TEST_F(Connection, SlotCountComesFromTheComputerNames) {
  struct Case {
    const char* primary;
    const char* standby;
    bool redundant;
    int slotCount;
  };
  for (const Case& c : {Case{"a", "", true, 1}, Case{"a", "a", true, 1}, Case{"a", "b", false, 2},
                        Case{"a", "A", false, 2}, Case{"", "b", true, 2}}) {
    w.txtComputer[0]->setText(c.primary);
    w.txtComputer[1]->setText(c.standby);
    w.chkEnableRedundant->setChecked(c.redundant);
    w.LoadConnectionSettings();
    EXPECT_EQ(table.SlotCount, c.slotCount) << c.primary << "/" << c.standby;
    EXPECT_EQ(w.chkTryPrimary->isVisibleTo(&w), c.redundant);
  }
}

TEST_F(Connection, ClearingRedundancyClearsAndHidesTryPrimary) {
  w.chkEnableRedundant->setChecked(true);
  w.chkTryPrimary->setChecked(true);
  EXPECT_EQ(table.TryPrimaryFirst, server::kTrue);
  w.chkEnableRedundant->setChecked(false);
  EXPECT_FALSE(w.chkTryPrimary->isChecked());
  EXPECT_FALSE(w.chkTryPrimary->isVisibleTo(&w));
  EXPECT_EQ(table.TryPrimaryFirst, server::kFalse);
}

TEST_F(Connection, ConnectNamesTheServerOrLocal) {
  api.server("");
  w.cmdTestConnection->click();
  EXPECT_EQ(w.lblStatus->text(), "Status: Connected to 'LOCAL'.");
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
  ASSERT_EQ(api.countOf("znOpen"), 1);
  EXPECT_EQ(api.callsOf("znOpen")[0].args,
            (std::vector<std::string>{"", "Engineer", "Marlow", "0"}));
}

TEST_F(Connection, ConnectKeepsALiveHandleAfterTheNameChanges) {
  api.server("plant1");
  w.txtComputer[0]->setText("plant1");
  w.cmdTestConnection->click();
  w.txtComputer[0]->setText("plant2");
  w.cmdTestConnection->click();
  EXPECT_EQ(api.countOf("znOpen"), 1);
  EXPECT_EQ(w.lblStatus->text(), "Status: Connected to 'plant2'.");
}

TEST_F(Connection, FailedConnectShowsTheBoxAndKeepsTheStatus) {
  w.txtComputer[0]->setText("nowhere");
  w.cmdTestConnection->click();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "Connection failed.");
  EXPECT_EQ(host.boxes[0].style, ui::kStyleCritical);
  EXPECT_EQ(host.boxes[0].shownTitle(), "ZnAPI Connection");
  EXPECT_EQ(w.lblStatus->text(), "Status:");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(Connection, FailoverToTheStandbyIsReported) {
  api.server("standby");
  w.txtComputer[0]->setText("primary");
  w.txtComputer[1]->setText("standby");
  w.cmdTestConnection->click();
  EXPECT_EQ(w.lblStatus->text(), "Status: Connected to 'standby'.");
  EXPECT_EQ(table.CurrentSlot, 1);
}

TEST_F(Connection, AMissingLibraryIsReportedAndTheProgramGoesOn) {
  api.missingLibrary = "Cannot load libznapi.so";
  w.cmdTestConnection->click();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].style, ui::kStyleCritical);
  EXPECT_EQ(host.boxes[0].shownTitle(), "Error");
  EXPECT_EQ(host.boxes[0].text, "Cannot load libznapi.so");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(Connection, GotFocusSelectsTheWholeText) {
  w.txtUserID[1]->deselect();
  w.txtUserID_GotFocus(1);
  EXPECT_EQ(w.txtUserID[1]->selectedText(), "Engineer");
}

}  // namespace
