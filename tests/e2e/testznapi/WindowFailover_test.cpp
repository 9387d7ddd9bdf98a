// Failover between two real simulators through the real library: the primary is killed, the
// standby takes over, and with "Always Try Primary First" the primary is taken back; a primary
// typed anew after the failover answers the next Connect.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <memory>
#include <string>

#include "DynamicZnApi.h"
#include "FakeHost.h"
#include "RedundantPair.h"
#include "Typing.h"
#include "Widgets.h"
#include "ZnsimProcess.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace {

using testing_support::ZnsimProcess;

struct Failover : ::testing::Test, testing_support::RedundantPair {
  binding::DynamicZnApi library;
  binding::basZNAPI module{library};
  fake::FakeHost host;
  frmTestConnection w{module, host};

  Failover() {
    w.txtComputer[0]->setText(QString::fromStdString(primary->address()));
    w.txtComputer[1]->setText(QString::fromStdString(standby->address()));
  }
  ~Failover() override { w.close(); }
  /// The value of `tag` on the standby once it is `want`, or the last one read when the pair
  /// has not replicated it in a generous while.
  std::string onStandby(const char* tag, const std::string& want) {
    const std::int32_t h = library.znOpen(standby->address().c_str(), "Engineer", "Marlow", 0);
    std::string value;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    do {
      char buffer[256] = {};
      value = library.znTagRead(h, tag, buffer, sizeof buffer) ? buffer : "(no value)";
    } while (value != want && std::chrono::steady_clock::now() < deadline);
    library.znClose(h);
    return value;
  }
};

TEST_F(Failover, AValueWrittenOnThePrimaryIsReadOnTheStandbyAfterThePrimaryIsKilled) {
  w.cmdTestConnection->click();
  testing_support::TypeText(w.cboTagNames[0], "LIT101");
  testing_support::TypeText(w.txtValue, "3.5");
  w.cmdWrite->click();
  ASSERT_EQ(w.lblStatus->text().toStdString(),
            "Status: Writing to LIT101 is successful to '" + primary->address() + "'.");
  // Acknowledged once on the primary's disk; the standby has it a few milliseconds later.
  ASSERT_EQ(onStandby("LIT101", "3.5"), "3.5");

  primary->kill9();
  w.cmdTestConnection->click();
  ASSERT_EQ(w.lblStatus->text().toStdString(),
            "Status: Connected to '" + standby->address() + "'.");
  w.txtValue->clear();
  w.cmdRead->click();
  EXPECT_EQ(w.txtValue->text(), "3.5");
}

TEST_F(Failover, StandbyTakesOverAndThePrimaryIsTakenBack) {
  w.chkEnableRedundant->setChecked(true);
  w.chkTryPrimary->setChecked(true);
  w.cmdTestConnection->click();
  ASSERT_TRUE(host.boxes.empty());
  EXPECT_EQ(w.lblStatus->text().toStdString(),
            "Status: Connected to '" + primary->address() + "'.");
  const auto primaryHandle = module.table().Handle[0];

  primary->kill9();
  const auto standbyHandle = module.GetConnection();
  EXPECT_GT(standbyHandle, 0);
  EXPECT_NE(standbyHandle, primaryHandle);
  EXPECT_EQ(module.table().CurrentSlot, 1);
  EXPECT_EQ(module.table().Handle[0], 0) << "the dead primary is closed and cleared";

  StartPrimary();
  const auto back = module.GetConnection();
  EXPECT_GT(back, 0);
  EXPECT_EQ(module.table().CurrentSlot, 0);
  EXPECT_EQ(back, module.table().Handle[0]);
}

// Accented text reaches the server and comes back exactly, and the connection that carried it
// stays the primary's: a text the server could not decode would have cost the connection.
TEST_F(Failover, AccentedTextRoundTripsOnThePrimaryWithoutAFailover) {
  w.chkEnableRedundant->click();
  w.cmdTestConnection->click();
  const QString tag = "PLANT_Message";
  const QString value = QString::fromUtf8("Caf\u00e9 open \u20ac5 \u00b5m");
  testing_support::TypeText(w.cboTagNames[0], tag);
  testing_support::TypeText(w.txtValue, value);
  w.cmdWrite->click();
  EXPECT_EQ(w.lblStatus->text().toStdString(),
            "Status: Writing to PLANT_Message is successful to '" + primary->address() + "'.");
  w.txtValue->clear();
  w.cmdRead->click();
  EXPECT_EQ(w.txtValue->text(), value);
  EXPECT_EQ(module.table().CurrentSlot, 0);
  EXPECT_EQ(module.table().Handle[1], 0) << "the standby was never needed";
}

TEST_F(Failover, WithoutTryPrimaryFirstTheStandbyIsKept) {
  w.cmdTestConnection->click();
  ASSERT_EQ(module.table().CurrentSlot, 0);

  primary->kill9();
  w.cmdTestConnection->click();
  EXPECT_EQ(w.lblStatus->text().toStdString(),
            "Status: Connected to '" + standby->address() + "'.");

  StartPrimary();
  EXPECT_GT(module.GetConnection(), 0);
  EXPECT_EQ(module.table().CurrentSlot, 1) << "parked on the standby while it answers";
}

TEST_F(Failover, AfterAFailoverAThirdServerTypedAsThePrimaryAnswersTheFirstConnect) {
  ZnsimProcess third;
  const auto mark = [&](const std::string& computer, const char* value) {
    const std::int32_t h = library.znOpen(computer.c_str(), "Engineer", "Marlow", 0);
    ASSERT_NE(h, 0) << computer;
    EXPECT_NE(library.znTagWrite(h, "PLANT_Message", value), 0);
    library.znClose(h);
  };
  mark(standby->address(), "on the standby");
  mark(third.address(), "on the third server");
  w.cmdTestConnection->click();
  primary->kill9();
  w.cmdTestConnection->click();
  ASSERT_EQ(w.lblStatus->text().toStdString(),
            "Status: Connected to '" + standby->address() + "'.");

  testing_support::ReplaceText(w.txtComputer[0], QString::fromStdString(third.address()));
  w.cmdTestConnection->click();
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(w.lblStatus->text().toStdString(), "Status: Connected to '" + third.address() + "'.");
  testing_support::TypeText(w.cboTagNames[0], "PLANT_Message");
  w.cmdRead->click();
  EXPECT_EQ(w.txtValue->text(), "on the third server");
}

}  // namespace
