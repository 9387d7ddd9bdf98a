// Connection boxes, slot counting, the redundancy check boxes and Connect.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

struct Connection : MainWindowTest {
  binding::ConnectionTable& table = module.table();

  /// Connected to the primary with a standby configured, the primary dies and the next
  /// Connect fails over to the standby; each server's T1 names it.
  void FailOver() {
    for (const char* name : {"primary:20222", "standby:20223", "third:20224"})
      api.server(name).tags["T1"] = name;
    ReplaceText(w.txtComputer[0], "primary:20222");
    ReplaceText(w.txtComputer[1], "standby:20223");
    w.cmdTestConnection->click();
    ASSERT_EQ(status(), "Status: Connected to 'primary:20222'.");
    api.server("primary:20222").up = false;
    w.cmdTestConnection->click();
    ASSERT_EQ(status(), "Status: Connected to 'standby:20223'.");
    api.calls.clear();
  }
  /// Reads T1, which names the server that answered.
  QString ReadT1() {
    ReplaceText(w.cboTagNames[0], "T1");
    w.cmdRead->click();
    return w.txtValue->text();
  }
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
    ReplaceText(w.txtComputer[0], c.primary);
    ReplaceText(w.txtComputer[1], c.standby);
    w.chkEnableRedundant->setChecked(true);
    w.chkTryPrimary->setChecked(true);
    w.chkEnableRedundant->setChecked(c.redundant);
    w.LoadConnectionSettings();
    EXPECT_EQ(table.SlotCount, c.slotCount) << c.primary << "/" << c.standby;
    EXPECT_EQ(w.chkTryPrimary->isVisibleTo(&w), c.redundant);
    // Clearing redundancy must not leave a hidden "try primary first" in force.
    EXPECT_EQ(table.TryPrimaryFirst, c.redundant ? binding::kTrue : binding::kFalse);
  }
}

TEST_F(Connection, StatusNamesTheServerInUseAndConnectReachesWhatTheBoxesSay) {
  w.cmdTestConnection->click();
  EXPECT_EQ(status(), "Status: Connected to 'LOCAL'.");
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
  ASSERT_EQ(api.countOf("znOpen"), 1);
  EXPECT_EQ(api.callsOf("znOpen")[0].args, (Strings{"", "Engineer", "Marlow", "0"}));
  w.cmdTestConnection->click();
  EXPECT_EQ(api.countOf("znOpen"), 1) << "a live handle opened with the same texts is kept";

  // Typed but not connected yet: the handle in use still reaches the local server.
  api.server("plant2").time = "08:00:00";
  local.tags["T1"] = "1";
  ReplaceText(w.txtComputer[0], "plant2");
  ReplaceText(w.cboTagNames[0], "T1");
  w.cmdRead->click();
  EXPECT_EQ(status(), "Status: Reading T1 takes about 1 second from 'LOCAL'.");
  w.Timer1_Timer();
  EXPECT_EQ(w.lblSCADATime->text(), "'s time: 12:00:00");

  const std::int32_t old = module.table().Handle[0];
  w.cmdTestConnection->click();
  EXPECT_EQ(api.argsOf("znClose"), Strings{std::to_string(old)});
  EXPECT_EQ(api.callsOf("znOpen").back().args, (Strings{"plant2", "Engineer", "Marlow", "0"}));
  EXPECT_EQ(status(), "Status: Connected to 'plant2'.");
  w.Timer1_Timer();
  EXPECT_EQ(w.lblSCADATime->text(), "plant2's time: 08:00:00");

  // A changed password reopens too; a cleared box is not the server that answers.
  ReplaceText(w.txtPassword[0], "Other");
  w.cmdTestConnection->click();
  EXPECT_EQ(api.callsOf("znOpen").back().args, (Strings{"plant2", "Engineer", "Other", "0"}));
  EXPECT_EQ(api.openConnections().size(), 1u);
  api.server("plant2").tags["T1"] = "2";
  ReplaceText(w.txtComputer[0], "");
  w.cmdRead->click();
  EXPECT_EQ(w.txtValue->text(), "2");
  EXPECT_EQ(status(), "Status: Reading T1 takes about 1 second from 'plant2'.");
}

TEST_F(Connection, FailedConnectShowsABoxAndKeepsTheStatus) {
  ReplaceText(w.txtComputer[0], "nowhere");
  w.cmdTestConnection->click();
  EXPECT_EQ(host.shownBoxes(), QStringList{"ZnAPI Connection|critical|Connection failed."});
  EXPECT_EQ(host.boxes[0].informative, "") << "a library that gives no reason adds none";
  EXPECT_EQ(status(), "Status:");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(Connection, AWrongPasswordShowsTheLibrarysReasonUnderTheBox) {
  local.password = "Marlow";
  api.reasons["znOpen"] = "login refused for user 'Engineer': wrong user name or password";
  ReplaceText(w.txtPassword[0], "Marlowe");
  w.cmdTestConnection->click();
  ASSERT_EQ(host.shownBoxes(), QStringList{"ZnAPI Connection|critical|Connection failed."});
  EXPECT_EQ(host.boxes[0].informative,
            "login refused for user 'Engineer': wrong user name or password");
  ReplaceText(w.txtPassword[0], "Marlow");
  w.cmdTestConnection->click();
  EXPECT_EQ(status(), "Status: Connected to 'LOCAL'.");
}

TEST_F(Connection, AfterAFailoverConnectKeepsTheStandbyUntilAPrimaryIsTypedAnew) {
  FailOver();
  api.server("primary:20222").up = true;
  w.cmdTestConnection->click();
  EXPECT_EQ(api.countOf("znOpen"), 0) << "the failover rule holds for a slot left as it was";
  EXPECT_EQ(ReadT1(), "standby:20223");
  ReplaceText(w.txtComputer[0], "third:20224");
  w.cmdTestConnection->click();
  EXPECT_EQ(api.callsOf("znOpen").at(0).args, (Strings{"third:20224", "Engineer", "Marlow", "0"}));
  EXPECT_EQ(status(), "Status: Connected to 'third:20224'.");
  EXPECT_EQ(ReadT1(), "third:20224");

  // Reached without a standby too.
  FailOver();
  ReplaceText(w.txtComputer[0], "third:20224");
  ReplaceText(w.txtComputer[1], "");
  w.cmdTestConnection->click();
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(status(), "Status: Connected to 'third:20224'.");
  EXPECT_EQ(ReadT1(), "third:20224");
}

}  // namespace
}  // namespace app_test
