// Connection boxes, slot counting, the redundancy check boxes and Connect.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

struct Connection : MainWindowTest {
  server::ConnectionTable& table = module.table();
};

TEST_F(Connection, SlotCountComesFromTheComputerNamesAndTryPrimaryNeedsRedundancy) {
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
    w.chkEnableRedundant->setChecked(true);
    w.chkTryPrimary->setChecked(true);
    w.chkEnableRedundant->setChecked(c.redundant);
    w.LoadConnectionSettings();
    EXPECT_EQ(table.SlotCount, c.slotCount) << c.primary << "/" << c.standby;
    EXPECT_EQ(w.chkTryPrimary->isVisibleTo(&w), c.redundant);
    // Clearing redundancy must not leave a hidden "try primary first" in force.
    EXPECT_EQ(table.TryPrimaryFirst, c.redundant ? server::kTrue : server::kFalse);
  }
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

TEST_F(Connection, FailedConnectShowsABoxAndKeepsTheStatus) {
  w.txtComputer[0]->setText("nowhere");
  w.cmdTestConnection->click();
  EXPECT_EQ(host.shownBoxes(), QStringList{"ZnAPI Connection|critical|Connection failed."});
  EXPECT_EQ(status(), "Status:");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

}  // namespace
}  // namespace app_test
