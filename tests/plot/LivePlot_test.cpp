// The plot window following a watch: it scrolls with each cycle, a zoom or a drag pauses it,
// Home and Live resume it, the curves break where cycles failed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <cmath>

#include "ChartInput.h"
#include "FakeHost.h"
#include "TrendChart.h"
#include "TrendChartView.h"
#include "WatchHistory.h"
#include "frmTrendPlot.h"

namespace {

constexpr std::int64_t kStartMs = 1'700'000'000'000;

struct LivePlot : ::testing::Test {
  LivePlot() {
    for (int i = 0; i < 600; ++i) Cycle();
    w = plot::frmTrendPlot::OpenLive(host, history, {0, 2}, 5);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
    QApplication::setActiveWindow(w);
    QCoreApplication::processEvents();
  }
  ~LivePlot() override { delete w; }

  /// One watch cycle a second: A and C change, B is text and gives no point.
  void Cycle(bool failed = false) {
    const std::int64_t t = kStartMs + 1000 * cycles++;
    if (failed) {
      history->Gap(t);
      return;
    }
    history->Append(0, t, std::sin(double(cycles) / 50));
    history->Append(2, t, double(cycles % 7));
  }
  double Latest() const { return double(kStartMs + 1000 * (cycles - 1)); }

  fake::FakeHost host;
  std::shared_ptr<logic::WatchHistory> history =
      std::make_shared<logic::WatchHistory>(QStringList{"A", "B", "C"}, 1000);
  std::int64_t cycles = 0;
  QPointer<plot::frmTrendPlot> w;
};

TEST_F(LivePlot, ScrollsWithEachCyclePausesOnAZoomAndHomeReturnsToLive) {
  EXPECT_EQ(w->windowTitle(), "Live Plot - A, C");
  EXPECT_FALSE(w->cmdAddToPlot->isVisible());
  EXPECT_EQ(w->chart->Shown(), (plot::TimeSpan{Latest() - 300'000, Latest()}))
      << "the last five minutes";

  Cycle();
  w->Extend();
  EXPECT_EQ(w->chart->Shown(), (plot::TimeSpan{Latest() - 300'000, Latest()}));
  EXPECT_EQ(w->chart->Drawn(0).points.back().x(), Latest()) << "the new point is drawn";

  QWidget* viewport = w->chartView->viewport();
  const QPoint middle = viewport->rect().center();
  plot_test::Wheel(viewport, middle, 2);
  const plot::TimeSpan zoomed = w->chart->Shown();
  EXPECT_LT(zoomed.Length(), 300'000);
  EXPECT_FALSE(w->chart->Following());
  for (int i = 0; i < 30; ++i) Cycle();
  w->Extend();
  EXPECT_EQ(w->chart->Shown(), zoomed) << "paused: what the user zoomed to stays";

  QTest::keyClick(w.data(), Qt::Key_Home);
  EXPECT_TRUE(w->chart->Following());
  EXPECT_EQ(w->chart->Shown(), (plot::TimeSpan{Latest() - 300'000, Latest()}));

  plot_test::Drag(viewport, Qt::LeftButton, middle, middle + QPoint(60, 0));
  EXPECT_LT(w->chart->Shown().to, Latest()) << "a drag back in time pauses too";
  Cycle();
  w->Extend();
  EXPECT_LT(w->chart->Shown().to, Latest() - 1000);
  QTest::mouseClick(w->cmdLive, Qt::LeftButton);
  EXPECT_EQ(w->chart->Shown().to, Latest());
}

TEST_F(LivePlot, FailedCyclesBreakTheCurvesAndTheOldestPointsGo) {
  for (int i = 0; i < 60; ++i) Cycle(true);  // a minute without the server
  for (int i = 0; i < 500; ++i) Cycle();     // the history keeps 1,000 a tag
  w->Extend();
  EXPECT_EQ(history->Tag(0).Dropped(), 160u);
  w->chart->ShowLatest(60 * 60'000);  // an hour: more than the history holds
  EXPECT_EQ(w->chart->Drawn(0).starts.size(), 2u) << "the outage breaks the curve";
  EXPECT_EQ(w->chart->Drawn(1).starts.size(), 2u);
  EXPECT_EQ(w->chart->Drawn(0).points.front().x(), history->Tag(0).TimeMs(0))
      << "the curve begins at the oldest point kept";
}

}  // namespace
