// Connection boxes, slot counting, the redundancy check boxes and Connect.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

struct Connection : MainWindowTest {
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

TEST_F(Connection, ConnectNamesTheServerOrLocalAndKeepsALiveHandle) {
  w.cmdTestConnection->click();
  EXPECT_EQ(status(), "Status: Connected to 'LOCAL'.");
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
  ASSERT_EQ(api.countOf("znOpen"), 1);
  EXPECT_EQ(api.callsOf("znOpen")[0].args, (Strings{"", "Engineer", "Marlow", "0"}));

  w.txtComputer[0]->setText("plant2");
  w.cmdTestConnection->click();
  EXPECT_EQ(api.countOf("znOpen"), 1);
  EXPECT_EQ(status(), "Status: Connected to 'plant2'.");
}

TEST_F(Connection, FailedConnectOrMissingLibraryShowsABoxAndKeepsTheStatus) {
  w.txtComputer[0]->setText("nowhere");
  w.cmdTestConnection->click();
  EXPECT_EQ(host.shownBoxes(), QStringList{"ZnAPI Connection|critical|Connection failed."});
  host.boxes.clear();
  const QStringList box = missingLibrary();
  w.cmdTestConnection->click();
  EXPECT_EQ(host.shownBoxes(), box);
  EXPECT_EQ(status(), "Status:");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(Connection, GotFocusSelectsTheWholeText) {
  w.txtUserID[1]->deselect();
  w.txtUserID_GotFocus(1);
  EXPECT_EQ(w.txtUserID[1]->selectedText(), "Engineer");
}

}  // namespace
}  // namespace app_test
