// The Watch window over the scripted library: tags typed in, one list read per cycle at the
// interval, a slow server stretching the interval, changes highlighted, failures in their row,
// and a watch list saved and opened again.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <chrono>

#include "FakeHost.h"
#include "FakeZnApi.h"
#include "TrendChart.h"
#include "Typing.h"
#include "WatchTableModel.h"
#include "basZNAPI.h"
#include "frmTrendPlot.h"
#include "frmWatch.h"

namespace {

using Clock = std::chrono::steady_clock;
using testing_support::ReplaceText;
using testing_support::TypeText;
using watch::WatchTableModel;

struct WatchWindowTest : ::testing::Test {
  fake::FakeZnApi api;
  binding::basZNAPI module{api};
  fake::FakeHost host;
  fake::Server& local = api.server("");
  std::unique_ptr<watch::frmWatch> w;
  std::vector<Clock::time_point> reads;  // when each list read began

  WatchWindowTest() {
    local.tags = {{"LEVEL", "1.5"}, {"STATE", "Open"}, {"FLOW", "10"}};
    api.onCall = [this](const fake::Call& call) {
      if (call.name == "znListRead") reads.push_back(Clock::now());
    };
    w = std::make_unique<watch::frmWatch>(module, host, QStringList{"FLOW", "LEVEL", "STATE"});
    w->show();
  }

  void Type(const QStringList& tags) {
    for (const QString& tag : tags) {
      TypeText(w->cboTag, tag);
      QTest::keyClick(w->cboTag->lineEdit(), Qt::Key_Return);
    }
  }
  void SetInterval(const QString& seconds) {
    ReplaceText(w->spnInterval, seconds);
    QTest::keyClick(w->spnInterval, Qt::Key_Tab);
  }
  /// Lets the window run until `cycles` list reads were made; false after a minute.
  bool RunUntilReads(std::size_t cycles) {
    QDeadlineTimer deadline(60000);
    while (reads.size() < cycles && !deadline.hasExpired()) QTest::qWait(10);
    return reads.size() >= cycles;
  }
  QString Cell(int row, int column) const {
    return w->model().index(row, column).data().toString();
  }
  /// The live plot open over the window, if any.
  plot::frmTrendPlot* Plot() const {
    for (QObject* child : w->children())
      if (auto* plot = dynamic_cast<plot::frmTrendPlot*>(child)) return plot;
    return nullptr;
  }
  QAction* Menu(const QString& text) const {
    for (QAction* action : w->menuBar()->actions().first()->menu()->actions())
      if (action->text() == text) return action;
    return nullptr;
  }
};

TEST_F(WatchWindowTest, StartReadsTheWholeListOncePerIntervalUntilPaused) {
  Type({"LEVEL", "STATE", "NOSUCH", "LEVEL"});  // a name typed twice is watched once
  ASSERT_EQ(w->model().tags(), (QStringList{"LEVEL", "STATE", "NOSUCH"}));
  SetInterval("0.2");
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  EXPECT_EQ(w->cmdStart->text(), "Pause");
  ASSERT_TRUE(RunUntilReads(4));
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  EXPECT_EQ(w->cmdStart->text(), "Start");
  const std::size_t made = reads.size();
  QTest::qWait(500);
  EXPECT_EQ(reads.size(), made) << "no read after Pause";

  EXPECT_EQ(api.countOf("znListNew"), 1);
  EXPECT_EQ(api.countOf("znListAdd"), 3);  // the tags are added once, not every cycle
  // Cycles start an interval apart; a read starts after the cycle's connection check, whose
  // time varies, so only a burst (reads milliseconds apart) is a fault.
  for (std::size_t i = 1; i < reads.size(); ++i)
    EXPECT_GE(reads[i] - reads[i - 1], std::chrono::milliseconds(100)) << "cycle " << i;
  EXPECT_EQ(Cell(0, WatchTableModel::Value), "1.5");
  EXPECT_EQ(Cell(0, WatchTableModel::Server), "LOCAL");
  EXPECT_EQ(Cell(2, WatchTableModel::Value), "not read");  // the others go on
  EXPECT_EQ(w->model().index(2, WatchTableModel::Value).data(Qt::ForegroundRole).value<QBrush>(),
            QBrush(Qt::red));
}

// The library call is synchronous: the next cycle is scheduled only once a read has returned,
// so a server slower than the interval stretches it and no read ever starts during another.
TEST_F(WatchWindowTest, ASlowServerStretchesTheIntervalAndNeverGetsASecondReadInFlight) {
  bool inRead = false;
  bool overlapped = false;
  api.onCall = [&](const fake::Call& call) {
    if (call.name == "znListRead") {
      overlapped = overlapped || inRead;
      inRead = true;
      reads.push_back(Clock::now());
      QThread::msleep(300);
    }
    if (call.name == "znListData") inRead = false;  // the read returned and is being taken
  };
  Type({"LEVEL"});
  SetInterval("0.1");
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  ASSERT_TRUE(RunUntilReads(4));
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  EXPECT_FALSE(overlapped);
  for (std::size_t i = 1; i < reads.size(); ++i)
    EXPECT_GE(reads[i] - reads[i - 1], std::chrono::milliseconds(300)) << "cycle " << i;
}

TEST_F(WatchWindowTest, AChangedValueHighlightsItsRowAndAGapLeavesTheValues) {
  Type({"LEVEL", "STATE", "FLOW"});
  SetInterval("0.1");
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  ASSERT_TRUE(RunUntilReads(1));
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  for (int row = 0; row < 3; ++row) EXPECT_FALSE(w->model().Highlighted(row)) << row;

  local.tags["STATE"] = "Shut";
  int repainted = -1;
  QObject::connect(&w->model(), &QAbstractItemModel::dataChanged,
                   [&](const QModelIndex& first, const QModelIndex& last) {
                     EXPECT_EQ(first.row(), last.row());
                     repainted = first.row();
                   });
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  ASSERT_TRUE(RunUntilReads(2));
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  EXPECT_EQ(repainted, 1) << "only the changed row is repainted";
  EXPECT_TRUE(w->model().Highlighted(1));
  EXPECT_FALSE(w->model().Highlighted(0));
  EXPECT_EQ(Cell(1, WatchTableModel::Value), "Shut");
  EXPECT_EQ(Cell(1, WatchTableModel::Changes), "1");
  EXPECT_FALSE(Cell(1, WatchTableModel::Changed).isEmpty());
  EXPECT_EQ(Cell(0, WatchTableModel::Changes), "0");

  local.up = false;
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  QDeadlineTimer deadline(60000);
  while (!w->lblStatus->text().startsWith("Gap at") && !deadline.hasExpired()) QTest::qWait(10);
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  EXPECT_TRUE(w->lblStatus->text().contains("gaps")) << w->lblStatus->text().toStdString();
  EXPECT_EQ(Cell(1, WatchTableModel::Value), "Shut");
}

TEST_F(WatchWindowTest, AWatchListSavedOpensAgainInItsOrder) {
  QTemporaryDir dir;
  const QString path = dir.filePath("tanks.txt");
  const QStringList tags{"LEVEL", "Tank 2, level", "STATE"};
  Type(tags);
  host.saveAnswers.push_back(path);
  Menu("&Save Watch List...")->trigger();
  ASSERT_TRUE(QFile::exists(path)) << host.shownBoxes().join('\n').toStdString();

  w = std::make_unique<watch::frmWatch>(module, host, QStringList{});
  w->ChooseWatchList = [&] { return std::optional<QString>(path); };
  Menu("&Open Watch List...")->trigger();
  EXPECT_EQ(w->model().tags(), tags);
  EXPECT_TRUE(host.boxes.empty());
}

// Plot shows the selected rows as they are read: each cycle's value is drawn at the right edge,
// and a text that is no number gives no curve point.
TEST_F(WatchWindowTest, PlotFollowsTheSelectedRowsCycleByCycle) {
  Type({"LEVEL", "STATE", "FLOW"});
  SetInterval("0.1");
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  ASSERT_TRUE(RunUntilReads(2));
  QTableView* table = w->grdTags;
  const auto rowCenter = [table](int row) {
    return table->visualRect(table->model()->index(row, 0)).center();
  };
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rowCenter(0));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCenter(2));
  QTest::mouseClick(w->cmdPlot, Qt::LeftButton);
  plot::frmTrendPlot* plot = Plot();
  ASSERT_NE(plot, nullptr);
  ASSERT_EQ(plot->chart->TrendCount(), 2);
  EXPECT_EQ(plot->chart->NameAt(0), "LEVEL");
  EXPECT_EQ(plot->chart->NameAt(1), "FLOW");
  EXPECT_TRUE(plot->chart->Following());

  local.tags["LEVEL"] = "2.5";
  const std::size_t made = reads.size();
  ASSERT_TRUE(RunUntilReads(made + 2));
  QTest::mouseClick(w->cmdStart, Qt::LeftButton);
  ASSERT_FALSE(plot->chart->Drawn(0).points.empty());
  EXPECT_EQ(plot->chart->Drawn(0).points.back().y(), 2.5) << "the latest cycle is drawn";
  EXPECT_EQ(plot->chart->Drawn(1).points.back().y(), 10);

  Type({"NEWTAG"});
  EXPECT_TRUE(QTest::qWaitFor([&] { return Plot() == nullptr; }))
      << "a plot of the tags as they were closes when they change";
}

}  // namespace
