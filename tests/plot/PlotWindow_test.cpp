// The plot window offscreen: the wheel, a drag and a band move what is shown and Home shows
// all again, hovering names the nearest sample, bad samples are gaps, and Save writes PNG and
// SVG pictures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <cmath>

#include "ChartInput.h"
#include "FakeHost.h"
#include "TrendChart.h"
#include "TrendChartView.h"
#include "TrendSamples.h"
#include "frmTrendPlot.h"

namespace {

const QDateTime kStart(QDate(2005, 5, 4), QTime(0, 0));

/// A trend of `n` samples one second apart, with the value texts `value` gives.
std::shared_ptr<logic::TrendSamples> Trend(const QString& name, int n,
                                           const std::function<QString(int)>& value) {
  auto samples = std::make_shared<logic::TrendSamples>(name, "04/05/2005 00:00:00", "end");
  for (int i = 0; i < n; ++i) {
    const QDateTime t = kStart.addSecs(i);
    samples->Add(t.toString("dd/MM/yyyy"), t.toString("HH:mm:ss"), value(i));
  }
  samples->Finish();
  return samples;
}

struct PlotWindow : ::testing::Test {
  PlotWindow() {
    w.Plot(
        Trend("TREND1", 20'000, [](int i) { return QString::number(10 + std::sin(i / 300.0)); }));
    w.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    QApplication::setActiveWindow(&w);
    QCoreApplication::processEvents();
  }
  QWidget* viewport() { return w.chartView->viewport(); }
  QRectF area() { return w.chart->plotArea(); }
  /// The view's point for a point of the chart.
  QPoint View(QPointF chartPoint) {
    return w.chartView->mapFromScene(w.chart->mapToScene(chartPoint));
  }
  void Wheel(QPoint at, int notches) { plot_test::Wheel(viewport(), at, notches); }

  fake::FakeHost host;
  plot::frmTrendPlot w{host, [](const QString& trend) {
                         return std::optional<QString>(trend == "OTHER" ? "l/s" : "m");
                       }};
};

TEST_F(PlotWindow, WheelZoomsAroundThePointerAndHomeShowsAllAgain) {
  const plot::TimeSpan all = w.chart->Shown();
  EXPECT_EQ(all.Length(), 19'999'000);
  const QPointF quarter(area().left() + area().width() / 4, area().center().y());
  const double under = all.from + all.Length() / 4;
  Wheel(View(quarter), 3);
  const plot::TimeSpan zoomed = w.chart->Shown();
  EXPECT_NEAR(zoomed.Length(), all.Length() * std::pow(0.8, 3), 1000);
  const double pixel = all.Length() / area().width();  // the pointer sits on a whole pixel
  EXPECT_NEAR(zoomed.from + zoomed.Length() / 4, under, pixel)
      << "the time under the pointer stays";
  EXPECT_LE(w.chart->PointsDrawn(), 2 * std::size_t(area().width()) + 4);
  const auto shownText = [](double ms) {
    return QDateTime::fromMSecsSinceEpoch(qint64(std::round(ms))).toString("dd/MM/yyyy HH:mm:ss");
  };
  EXPECT_TRUE(w.chart->title().contains(shownText(zoomed.from) + " to " + shownText(zoomed.to)))
      << "the subtitle names the range on screen: " << w.chart->title().toStdString();
  QTest::keyClick(&w, Qt::Key_Home);
  EXPECT_EQ(w.chart->Shown(), all);
}

TEST_F(PlotWindow, ADragMovesAlongAndABandZoomsToItsRegion) {
  w.OfferTrend(Trend("OTHER", 20'000,
                     [](int i) { return QString::number(500 + 100 * std::cos(i / 300.0)); }));
  w.cmdAddToPlot->click();
  Wheel(View(area().center()), 5);
  const plot::TimeSpan before = w.chart->Shown();
  const QPoint middle = View(area().center());
  plot_test::Drag(viewport(), Qt::LeftButton, middle, middle + QPoint(100, 0));
  const double moved = 100 / area().width() * before.Length();
  EXPECT_NEAR(w.chart->Shown().from, before.from - moved, 1000) << "the data follows the mouse";

  // Each value axis takes the band's share of its own range: the top quarter.
  const plot::TimeSpan shown = w.chart->Shown();
  std::vector<std::pair<double, double>> expected;
  for (QAbstractAxis* a : w.chart->axes(Qt::Vertical)) {
    const auto* axis = static_cast<QValueAxis*>(a);
    expected.push_back({axis->max() - 0.25 * (axis->max() - axis->min()), axis->max()});
  }
  ASSERT_EQ(expected.size(), 2u) << "m and l/s";
  const QPointF a(area().left() + area().width() * 0.2, area().top());
  const QPointF b(area().left() + area().width() * 0.6, area().top() + area().height() / 4);
  plot_test::Drag(viewport(), Qt::RightButton, View(a), View(b));
  EXPECT_NEAR(w.chart->Shown().from, shown.from + 0.2 * shown.Length(), 0.01 * shown.Length());
  EXPECT_NEAR(w.chart->Shown().to, shown.from + 0.6 * shown.Length(), 0.01 * shown.Length());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto* axis = static_cast<QValueAxis*>(w.chart->axes(Qt::Vertical)[int(i)]);
    const double span = expected[i].second - expected[i].first;
    EXPECT_NEAR(axis->min(), expected[i].first, 0.02 * span) << "axis " << i;
    EXPECT_NEAR(axis->max(), expected[i].second, 0.02 * span) << "axis " << i;
  }
}

TEST_F(PlotWindow, HoveringNamesTheNearestSample) {
  Wheel(View(area().center()), 30);  // a few samples wide
  QTest::mouseMove(viewport(), View(area().center()));
  const QString text = w.lblSample->text();
  const QDateTime middle = QDateTime::fromMSecsSinceEpoch(
      static_cast<qint64>(w.chart->Shown().from + w.chart->Shown().Length() / 2));
  EXPECT_TRUE(text.startsWith("TREND1   " + middle.toString("dd/MM/yyyy HH:mm")))
      << text.toStdString();
  EXPECT_TRUE(text.endsWith(" m")) << text.toStdString();
}

TEST_F(PlotWindow, BadSamplesAreGapsNotZeros) {
  w.Plot(Trend("GAPPY", 3000, [](int i) {
    return i >= 1000 && i < 2000 ? QString("Bad") : QString::number(10 + i % 7);
  }));
  const plot::Polylines& drawn = w.chart->Drawn(0);
  for (const QPointF& p : drawn.points) ASSERT_GE(p.y(), 10);
  EXPECT_EQ(drawn.starts.size(), 2u);
}

TEST_F(PlotWindow, UpdateControlsLeaveEveryOtherControlWhereItWas) {
  // The window that offers updates against the one above, which cannot ask again.
  plot::frmTrendPlot updating(host, {}, [](const logic::TrendRequest&) {
    return logic::TrendReply{nullptr, "no server"};
  });
  updating.Plot(Trend("TREND1", 10, [](int i) { return QString::number(i); }));
  updating.resize(w.size());
  updating.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&updating));
  EXPECT_FALSE(w.chkUpdate->isVisible());
  EXPECT_TRUE(updating.chkUpdate->isVisible());
  EXPECT_FALSE(updating.chkUpdate->isChecked());
  EXPECT_EQ(updating.cmdAddToPlot->geometry(), w.cmdAddToPlot->geometry());
  EXPECT_EQ(updating.cmdSave->geometry(), w.cmdSave->geometry());
  EXPECT_EQ(updating.chartView->geometry(), w.chartView->geometry());
  EXPECT_EQ(updating.lblSample->geometry().topLeft(), w.lblSample->geometry().topLeft());
  EXPECT_LT(updating.spnUpdateSeconds->geometry().right(), updating.cmdAddToPlot->x());
}

TEST_F(PlotWindow, SavesThePlotAsAPngOrSvgPicture) {
  QTemporaryDir dir;
  host.saveAnswers = {dir.filePath("plot"), dir.filePath("plot.svg")};
  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
  w.cmdSave->click();
  EXPECT_EQ(host.saveQuestions.value(0),
            "Save Plot|TREND1.png|PNG image (*.png);;SVG drawing (*.svg)");
  const QImage png(dir.filePath("plot.png"));
  EXPECT_EQ(png.size(), w.chartView->size() * 2);
  QFile svg(dir.filePath("plot.svg"));
  ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
  const QByteArray drawing = svg.readAll();
  EXPECT_TRUE(drawing.contains("<svg")) << drawing.left(200).toStdString();
  EXPECT_TRUE(drawing.contains("TREND1"));
  EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
