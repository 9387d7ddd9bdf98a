// The Call Log window offscreen over the scripted library: it shows each call with its
// reason, filters by operation and to the failures (the end of a walk is none), opens at the
// newest call and follows new calls unless the user scrolled away, copies selected rows and
// saves the rows shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "CallLogModel.h"
#include "FakeHost.h"
#include "FakeZnApi.h"
#include "PythonCsv.h"
#include "QStringPrinting.h"
#include "RecordingZnApi.h"
#include "frmCallLog.h"

namespace {

using calllog::frmCallLog;

struct CallLogWindow : ::testing::Test {
  CallLogWindow() {
    library.server("scada").tags["LIT101"] = "2.5";
    library.reasons["znOpen"] = "login refused for user 'Engineer'";
    h = api.znOpen("scada", "Engineer", "Marlow", 0);
    char value[255];
    api.znTagRead(h, "LIT101", value, 255);
    api.znOpen("elsewhere", "Engineer", "Wrong", 0);
    w.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
  }
  /// Column `column` of every row shown.
  QStringList Column(calllog::Column column) const {
    QStringList out;
    for (int row = 0; row < w.model->rowCount(); ++row) {
      out << w.model->index(row, column).data().toString();
    }
    return out;
  }
  void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(8, 8)); }

  fake::FakeZnApi library;
  binding::CallLog log;
  binding::RecordingZnApi api{library, log};
  fake::FakeHost host;
  frmCallLog w{log, host};
  std::int32_t h = 0;
};

TEST_F(CallLogWindow, ShowsEachCallWithItsReasonAndFilters) {
  EXPECT_EQ(Column(calllog::kOperation), (QStringList{"znOpen", "znTagRead", "znOpen"}));
  EXPECT_EQ(Column(calllog::kReason), (QStringList{"", "", "login refused for user 'Engineer'"}));
  EXPECT_EQ(Column(calllog::kReturned), (QStringList{"", "2.5", ""}));

  Click(w.chkFailuresOnly);
  EXPECT_EQ(Column(calllog::kArguments), (QStringList{"\"elsewhere\", \"Engineer\", ******, 0"}));
  Click(w.chkFailuresOnly);
  w.cboOperation->setFocus();
  QTest::keyClick(w.cboOperation, Qt::Key_Down);  // "znOpen"
  QTest::keyClick(w.cboOperation, Qt::Key_Down);  // "znClose"
  EXPECT_EQ(w.model->rowCount(), 0);
  QTest::keyClick(w.cboOperation, Qt::Key_Up);
  EXPECT_EQ(Column(calllog::kOperation), (QStringList{"znOpen", "znOpen"}));
}

TEST_F(CallLogWindow, OpensAtTheNewestCallAndFollowsNewCallsUnlessScrolledAway) {
  const auto calls = [&](int n) {
    for (int i = 0; i < n; ++i) api.znClose(1000 + i);
  };
  QScrollBar* bar = w.grdCalls->verticalScrollBar();
  calls(500);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.model->rowCount() == 503; }, 2000))
      << "the window catches up on its own";
  EXPECT_EQ(bar->value(), bar->maximum()) << "the newest row is in sight";
  bar->setValue(0);  // the user scrolls to the top
  calls(100);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.model->rowCount() == 603; }, 2000));
  EXPECT_EQ(bar->value(), 0) << "rows the user reads stay in place";

  frmCallLog opened{log, host};
  opened.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&opened));
  const QScrollBar* openedBar = opened.grdCalls->verticalScrollBar();
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return openedBar->maximum() > 0 && openedBar->value() == openedBar->maximum();
  })) << "a window opened later starts at the newest call";
  Click(w.cmdClear);
  EXPECT_EQ(w.model->rowCount(), 0);
}

TEST_F(CallLogWindow, TheEndOfAWalkIsNoFailure) {
  library.server("scada").tables["Tag"].records = {{{"Tag", "A"}}, {{"Tag", "B"}}};
  std::int32_t record = 0;
  const std::int32_t search = api.znFindFirst(h, "Tag", "*", &record, 0);
  library.reasons["znFindNext"] = "no more records";
  while (api.znFindNext(search, &record) != 0) {
  }
  library.reasons["znFindNext"] = "search 99 is closed";
  api.znFindNext(99, &record);
  Click(w.chkFailuresOnly);
  EXPECT_EQ(Column(calllog::kReason),
            (QStringList{"login refused for user 'Engineer'", "search 99 is closed"}));
}

TEST_F(CallLogWindow, CopiesSelectedRowsAndSavesTheRowsShown) {
  QTableView* grid = w.grdCalls;
  const auto cell = [&](int row) { return grid->visualRect(w.model->index(row, 1)).center(); };
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(0));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, cell(2));
  QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
  const QStringList copied = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(copied.size(), 2);
  // Quotes in a field are doubled, as spreadsheets paste them.
  EXPECT_TRUE(copied[0].contains("\tznOpen\t\"\"\"scada\"\", \"\"Engineer\"\", ******, 0\"\t"))
      << copied[0].toStdString();
  EXPECT_TRUE(copied[1].endsWith("\tlogin refused for user 'Engineer'")) << copied[1].toStdString();

  Click(w.chkFailuresOnly);
  QTemporaryDir dir;
  host.saveAnswers = {dir.filePath("calls")};
  Click(w.cmdSave);
  const auto saved = testing_support::ReadWithPython(dir.filePath("calls.csv"), "excel");
  ASSERT_EQ(saved.size(), 2u) << "the header and the one failure shown";
  EXPECT_EQ(saved[0].first(), "Time");
  EXPECT_EQ(saved[1].mid(1, 2), (QStringList{"znOpen", "\"elsewhere\", \"Engineer\", ******, 0"}));
  EXPECT_EQ(saved[1].last(), "login refused for user 'Engineer'");
}

}  // namespace
