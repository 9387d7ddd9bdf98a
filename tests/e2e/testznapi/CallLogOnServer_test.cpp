// Why a call failed, end to end: the program's own stack (real library, the recorder, the
// windows) against a real znsim. A wrong password is explained under the box; the Call Log
// shows the login's refusal and saves it as CSV; the status line's tooltip names the unknown
// tag of a failed read.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "CallLog.h"
#include "CallLogModel.h"
#include "DynamicZnApi.h"
#include "FakeHost.h"
#include "PythonCsv.h"
#include "RecordingZnApi.h"
#include "Typing.h"
#include "Widgets.h"
#include "ZnsimProcess.h"
#include "basZNAPI.h"
#include "frmCallLog.h"
#include "frmTestConnection.h"

namespace {

TEST(CallLogEndToEnd, AWrongPasswordIsExplainedInTheCallLogAndItsFile) {
  testing_support::ZnsimProcess sim;
  binding::DynamicZnApi library;
  binding::CallLog log;
  binding::RecordingZnApi recorded(library, log);
  binding::basZNAPI module(recorded);
  fake::FakeHost host;
  frmTestConnection w(module, host, &log);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  testing_support::ReplaceText(w.txtComputer[0], QString::fromStdString(sim.address()));
  testing_support::ReplaceText(w.txtPassword[0], "Marlowe");
  QTest::mouseClick(w.cmdTestConnection, Qt::LeftButton);
  ASSERT_EQ(host.shownBoxes(), QStringList{"ZnAPI Connection|critical|Connection failed."});
  EXPECT_TRUE(host.boxes[0].informative.startsWith("login refused for user 'Engineer'"))
      << "explained under the box: " << host.boxes[0].informative.toStdString();

  QTest::keyClick(&w, Qt::Key_F12);
  calllog::frmCallLog* window = w.CallLogWindow();
  ASSERT_NE(window, nullptr);
  QTest::mouseClick(window->chkFailuresOnly, Qt::LeftButton, {}, QPoint(8, 8));
  ASSERT_EQ(window->model->rowCount(), 1);
  const QString reason = window->model->index(0, calllog::kReason).data().toString();
  EXPECT_TRUE(reason.startsWith("login refused for user 'Engineer'")) << reason.toStdString();
  EXPECT_FALSE(reason.contains("Marlowe"));

  QTemporaryDir dir;
  host.saveAnswers = {dir.filePath("calls.csv")};
  QTest::mouseClick(window->cmdSave, Qt::LeftButton);
  const auto saved = testing_support::ReadWithPython(dir.filePath("calls.csv"), "excel");
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved[1].mid(1, 2),
            (QStringList{"znOpen", "\"" + QString::fromStdString(sim.address()) +
                                       "\", \"Engineer\", ******, 0"}));
  EXPECT_EQ(saved[1].last(), reason);

  testing_support::ReplaceText(w.txtPassword[0], "Marlow");
  QTest::mouseClick(w.cmdTestConnection, Qt::LeftButton);
  testing_support::ReplaceText(w.cboTagNames[0], "NOPE_TAG");
  QTest::mouseClick(w.cmdRead, Qt::LeftButton);
  EXPECT_EQ(w.lblStatus->text(), "Status: reading NOPE_TAG failed.");
  EXPECT_EQ(w.lblStatus->toolTip(), "unknown tag 'NOPE_TAG'");
}

}  // namespace
