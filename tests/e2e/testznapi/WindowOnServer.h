#pragma once
// The main window connected to a real znsim through the real libznapi.so.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "DynamicZnApi.h"
#include "FakeHost.h"
#include "QStringPrinting.h"
#include "ZnsimProcess.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace e2e_test {

struct WindowOnServer : ::testing::Test {
  testing_support::ZnsimProcess sim;
  binding::DynamicZnApi library;
  binding::basZNAPI module{library};
  fake::FakeHost host;
  frmTestConnection w{module, host};
  const QString server = QString::fromStdString(sim.address());

  WindowOnServer() {
    w.txtComputer[0]->setText(server);
    w.cmdTestConnection->click();  // takes the user and password boxes too
  }
  ~WindowOnServer() override { w.close(); }
};

}  // namespace e2e_test
