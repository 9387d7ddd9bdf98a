// The plot window with a 1,000,000-sample trend, as the user waits for it: from opening the
// window until it has painted the curve, and from each turn of the wheel until the zoomed
// curve is painted. The reference is Qt Charts given every sample, measured the same way in a
// separate process of this program (--reference).
// Counters: ms to the first paint, ms per zoom step and per pan step of a drag (mean and
// slowest), points drawn.
// Live, following a watch of 4 tags at their bound of 100,000 points: from each cycle's new
// point (the oldest dropped) until the window has painted it, and each zoom step. The
// reference is Qt Charts given every point, a point appended and the oldest removed per
// cycle (--reference-live).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QProcess>
#include <QTest>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>

#include "FakeHost.h"
#include "TrendChart.h"
#include "TrendChartView.h"
#include "TrendSamples.h"
#include "WatchHistory.h"
#include "frmTrendPlot.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSamples = 1'000'000;
constexpr int kZoomSteps = 10;
constexpr int kPanSteps = 20;
constexpr int kLiveTags = 4;
constexpr int kLivePoints = 100'000;
constexpr int kCycles = 30;
const QDateTime kStart(QDate(2024, 3, 15), QTime(0, 0));

// An intake level: a slow swing with a little noise, one sample a second.
double Level(int i) {
  return 2.6 + 1.3 * std::sin(i * 2 * M_PI / 1200) + 0.05 * std::sin(i * 7.3);
}

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

/// The processor time this process has used, in ms: on a loaded machine it tells what a step
/// costs where the time waited also holds other programs' turns.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

/// Counts the paints of a widget; a paint is complete when the event pass that held it ends.
class PaintCount : public QObject {
 public:
  explicit PaintCount(QWidget* w) { w->installEventFilter(this); }
  int paints = 0;
  std::function<void()> onPaint;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      ++paints;
      if (onPaint) onPaint();
    }
    return false;
  }
};

/// Runs events until `done` holds after a paint.
void UntilPainted(PaintCount& count, const std::function<bool()>& done) {
  for (;;) {
    const int before = count.paints;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (count.paints != before && done()) return;
  }
}

/// A reference chart on screen, its first paint timed from `start` and printed in ms.
struct ReferenceView {
  ReferenceView(QChart* chart, Clock::time_point start) : view(chart), count(view.viewport()) {
    view.resize(900, 520);
    view.show();
    UntilPainted(count, [] { return true; });
    std::printf("%.1f", Ms(Clock::now() - start));
  }
  QChartView view;
  PaintCount count;
};

void Wheel(QWidget* viewport, QPoint at) {
  QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &wheel);
}

/// The date, time and value texts of the rows a trend query reads.
std::vector<std::array<QString, 3>> RowTexts(int rows) {
  std::vector<std::array<QString, 3>> texts;
  texts.reserve(static_cast<std::size_t>(rows));
  for (int i = 0; i < rows; ++i) {
    const QDateTime t = kStart.addSecs(i);
    texts.push_back(
        {t.toString(u"dd/MM/yyyy"), t.toString(u"HH:mm:ss"), QString::number(Level(i), 'f', 6)});
  }
  return texts;
}

/// The samples the window keeps from those rows.
std::shared_ptr<logic::TrendSamples> Keep(const std::vector<std::array<QString, 3>>& texts) {
  auto samples = std::make_shared<logic::TrendSamples>("TREND1", "start", "end");
  samples->Reserve(texts.size());
  for (const auto& [date, time, value] : texts) samples->Add(date, time, value);
  samples->Finish();
  return samples;
}

/// Figures over all iterations: the mean first paint, the mean and slowest zoom step.
struct Figures {
  std::vector<double> firstPaints, steps, pans, cycles, cycleCpu, stepCpu;
  std::size_t points = 0;

  void Report(benchmark::State& state) const {
    const auto mean = [](const std::vector<double>& v) {
      double sum = 0;
      for (double x : v) sum += x;
      return v.empty() ? 0 : sum / static_cast<double>(v.size());
    };
    state.counters["first_paint_ms"] = mean(firstPaints);
    state.counters["zoom_step_ms"] = mean(steps);
    state.counters["slowest_step_ms"] =
        steps.empty() ? 0 : *std::max_element(steps.begin(), steps.end());
    if (!pans.empty()) {
      state.counters["pan_step_ms"] = mean(pans);
      state.counters["slowest_pan_ms"] = *std::max_element(pans.begin(), pans.end());
    }
    if (!cycles.empty()) {
      state.counters["cycle_ms"] = mean(cycles);
      state.counters["slowest_cycle_ms"] = *std::max_element(cycles.begin(), cycles.end());
    }
    if (!cycleCpu.empty()) {
      state.counters["cycle_cpu_ms"] = mean(cycleCpu);
      state.counters["zoom_step_cpu_ms"] = mean(stepCpu);
    }
    state.counters["points"] = static_cast<double>(points);
  }
};

void BM_PlotWindow(benchmark::State& state) {
  const std::shared_ptr<const logic::TrendSamples> samples = Keep(RowTexts(kSamples));
  fake::FakeHost host;
  Figures figures;
  for (auto _ : state) {
    const auto start = Clock::now();
    plot::frmTrendPlot w(host, [](const QString&) { return std::optional<QString>("m"); });
    w.Plot(samples);
    PaintCount count(w.chartView->viewport());
    w.show();
    // The first pass lays the chart out before its plot area has a width; the curve is
    // there once it has been reduced to the area's pixel columns.
    UntilPainted(count, [&] { return w.chart->PointsDrawn() > 1000; });
    figures.firstPaints.push_back(Ms(Clock::now() - start));

    const QRectF area = w.chart->plotArea();
    const QPoint at = w.chartView->mapFromScene(
        w.chart->mapToScene(QPointF(area.left() + area.width() * 0.3, area.center().y())));
    for (int i = 0; i < kZoomSteps; ++i) {
      const auto step = Clock::now();
      Wheel(w.chartView->viewport(), at);
      UntilPainted(count, [] { return true; });
      figures.steps.push_back(Ms(Clock::now() - step));
    }
    // A drag to the left, a few pixels an event as a hand moves the mouse.
    QTest::mousePress(w.chartView->viewport(), Qt::LeftButton, {}, at);
    for (int i = 1; i <= kPanSteps; ++i) {
      const auto step = Clock::now();
      QTest::mouseMove(w.chartView->viewport(), at - QPoint(8 * i, 0));
      UntilPainted(count, [] { return true; });
      figures.pans.push_back(Ms(Clock::now() - step));
    }
    QTest::mouseRelease(w.chartView->viewport(), Qt::LeftButton, {}, at - QPoint(8 * kPanSteps, 0));
    figures.points = w.chart->PointsDrawn();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  figures.Report(state);
}
BENCHMARK(BM_PlotWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

/// A watch's history at its bound, one point a second a tag.
std::shared_ptr<logic::WatchHistory> FullHistory() {
  auto history = std::make_shared<logic::WatchHistory>(QStringList{"A", "B", "C", "D"},
                                                       std::size_t(kLivePoints));
  const std::int64_t t0 = kStart.toMSecsSinceEpoch();
  for (int i = 0; i < kLivePoints; ++i)
    for (int tag = 0; tag < kLiveTags; ++tag)
      history->Append(std::size_t(tag), t0 + 1000LL * i, Level(i + 300 * tag));
  return history;
}

/// The next cycle of every tag, `i` cycles after the start; the oldest points go.
void NextCycle(logic::WatchHistory& history, int i) {
  const std::int64_t t = kStart.toMSecsSinceEpoch() + 1000LL * i;
  for (int tag = 0; tag < kLiveTags; ++tag)
    history.Append(std::size_t(tag), t, Level(i + 300 * tag));
}

// Minutes that show the whole history: every extend and zoom reduces all 100,000 points.
constexpr double kLiveMinutes = kLivePoints / 60.0 + 1;

void BM_LivePlot(benchmark::State& state) {
  fake::FakeHost host;
  Figures figures;
  for (auto _ : state) {
    const auto history = FullHistory();
    const auto start = Clock::now();
    std::vector<std::size_t> tags(kLiveTags);
    for (int tag = 0; tag < kLiveTags; ++tag) tags[std::size_t(tag)] = std::size_t(tag);
    std::unique_ptr<plot::frmTrendPlot> w(
        plot::frmTrendPlot::OpenLive(host, history, tags, kLiveMinutes));
    PaintCount count(w->chartView->viewport());
    UntilPainted(count, [&] { return w->chart->PointsDrawn() > 1000; });
    figures.firstPaints.push_back(Ms(Clock::now() - start));
    for (int i = 0; i < kCycles; ++i) {
      const auto step = Clock::now();
      const double cpu = CpuMs();
      NextCycle(*history, kLivePoints + i);
      w->Extend();
      UntilPainted(count, [] { return true; });
      figures.cycles.push_back(Ms(Clock::now() - step));
      figures.cycleCpu.push_back(CpuMs() - cpu);
    }
    const QRectF area = w->chart->plotArea();
    const QPoint at = w->chartView->mapFromScene(
        w->chart->mapToScene(QPointF(area.left() + area.width() * 0.3, area.center().y())));
    for (int i = 0; i < kZoomSteps; ++i) {
      const auto step = Clock::now();
      const double cpu = CpuMs();
      Wheel(w->chartView->viewport(), at);
      UntilPainted(count, [] { return true; });
      figures.steps.push_back(Ms(Clock::now() - step));
      figures.stepCpu.push_back(CpuMs() - cpu);
    }
    figures.points = w->chart->PointsDrawn();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  figures.Report(state);
}
BENCHMARK(BM_LivePlot)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// What keeping the samples adds to each row of a trend request: reading the date, time and
// value texts the row was written from. Counter: nanoseconds per row.
void BM_KeepSamples(benchmark::State& state) {
  const auto texts = RowTexts(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Keep(texts)->size());
  state.counters["ns_per_row"] = benchmark::Counter(
      static_cast<double>(texts.size()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KeepSamples)->Arg(100'000)->Unit(benchmark::kMillisecond);

/// The reference's zoom steps: the time axis' range set as the plot window's wheel steps set
/// it, each step's ms printed once painted.
void ReferenceZoomSteps(QDateTimeAxis* time, PaintCount& count, double& from, double& to) {
  for (int i = 0; i < kZoomSteps; ++i) {
    const auto step = Clock::now();
    const double anchor = from + 0.3 * (to - from);
    from = anchor - (anchor - from) * 0.8;
    to = anchor + (to - anchor) * 0.8;
    time->setRange(QDateTime::fromMSecsSinceEpoch(qint64(from)),
                   QDateTime::fromMSecsSinceEpoch(qint64(to)));
    UntilPainted(count, [] { return true; });
    std::printf(" %.1f", Ms(Clock::now() - step));
  }
}

// Qt Charts given every sample: one line series, zoomed by setting the time axis' range as
// the plot window's steps do. Prints "first_paint_ms zoom_ms... points".
int RunReference() {
  QList<QPointF> points;
  points.reserve(kSamples);
  const double t0 = static_cast<double>(kStart.toMSecsSinceEpoch());
  for (int i = 0; i < kSamples; ++i) points.append(QPointF(t0 + 1000.0 * i, Level(i)));
  const auto start = Clock::now();
  auto* chart = new QChart;
  auto* series = new QLineSeries;
  series->replace(points);
  chart->addSeries(series);
  auto* time = new QDateTimeAxis;
  auto* values = new QValueAxis;
  chart->addAxis(time, Qt::AlignBottom);
  chart->addAxis(values, Qt::AlignLeft);
  series->attachAxis(time);
  series->attachAxis(values);
  ReferenceView shown(chart, start);
  PaintCount& count = shown.count;
  double from = t0, to = t0 + 1000.0 * (kSamples - 1);
  ReferenceZoomSteps(time, count, from, to);
  std::printf(" %d\n", kSamples);
  return 0;
}

// Qt Charts given every point of the live history: four line series; each cycle appends a
// point to each and removes its oldest, and moves the time axis on. Prints
// "first_paint_ms cycle_ms... zoom_ms... points".
int RunLiveReference() {
  const double t0 = static_cast<double>(kStart.toMSecsSinceEpoch());
  const auto start = Clock::now();
  auto* chart = new QChart;
  auto* time = new QDateTimeAxis;
  auto* values = new QValueAxis;
  chart->addAxis(time, Qt::AlignBottom);
  chart->addAxis(values, Qt::AlignLeft);
  std::vector<QLineSeries*> series;
  for (int tag = 0; tag < kLiveTags; ++tag) {
    QList<QPointF> points;
    points.reserve(kLivePoints);
    for (int i = 0; i < kLivePoints; ++i)
      points.append(QPointF(t0 + 1000.0 * i, Level(i + 300 * tag)));
    auto* line = new QLineSeries;
    line->replace(points);
    chart->addSeries(line);
    line->attachAxis(time);
    line->attachAxis(values);
    series.push_back(line);
  }
  values->setRange(1, 4.2);
  double from = t0, to = t0 + 1000.0 * (kLivePoints - 1);
  time->setRange(QDateTime::fromMSecsSinceEpoch(qint64(from)),
                 QDateTime::fromMSecsSinceEpoch(qint64(to)));
  ReferenceView shown(chart, start);
  PaintCount& count = shown.count;
  for (int i = 0; i < kCycles; ++i) {
    const auto step = Clock::now();
    for (int tag = 0; tag < kLiveTags; ++tag) {
      series[std::size_t(tag)]->append(t0 + 1000.0 * (kLivePoints + i),
                                       Level(kLivePoints + i + 300 * tag));
      series[std::size_t(tag)]->remove(0);
    }
    from += 1000;
    to += 1000;
    time->setRange(QDateTime::fromMSecsSinceEpoch(qint64(from)),
                   QDateTime::fromMSecsSinceEpoch(qint64(to)));
    UntilPainted(count, [] { return true; });
    std::printf(" %.1f", Ms(Clock::now() - step));
  }
  ReferenceZoomSteps(time, count, from, to);
  std::printf(" %d\n", kLiveTags * kLivePoints);
  return 0;
}

/// Runs this program's reference `mode`; the figures it printed, or nothing after an error.
std::optional<QStringList> RunReferenceProcess(benchmark::State& state, const QString& mode,
                                               qsizetype figures) {
  QProcess reference;
  reference.start(QCoreApplication::applicationFilePath(), {mode});
  if (!reference.waitForFinished(600'000)) {
    reference.kill();
    state.SkipWithError("the reference did not finish in 10 minutes");
    return std::nullopt;
  }
  const QStringList printed =
      QString::fromLatin1(reference.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
  if (printed.size() != figures) {
    state.SkipWithError("the reference printed no figures");
    return std::nullopt;
  }
  return printed;
}

void BM_ReferenceLive(benchmark::State& state) {
  Figures figures;
  for (auto _ : state) {
    const auto printed =
        RunReferenceProcess(state, "--reference-live", 1 + kCycles + kZoomSteps + 1);
    if (!printed) return;
    double total = 0;
    for (int i = 0; i <= kCycles + kZoomSteps; ++i) {
      const double ms = (*printed)[i].toDouble();
      (i == 0 ? figures.firstPaints : i <= kCycles ? figures.cycles : figures.steps).push_back(ms);
      total += ms;
    }
    figures.points = printed->last().toULongLong();
    state.SetIterationTime(total / 1000);
  }
  figures.Report(state);
}
BENCHMARK(BM_ReferenceLive)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ReferenceEverySample(benchmark::State& state) {
  Figures figures;
  for (auto _ : state) {
    const auto printed = RunReferenceProcess(state, "--reference", kZoomSteps + 2);
    if (!printed) return;
    double total = 0;
    for (int i = 0; i <= kZoomSteps; ++i) {
      (i == 0 ? figures.firstPaints : figures.steps).push_back((*printed)[i].toDouble());
      total += (*printed)[i].toDouble();
    }
    figures.points = printed->last().toULongLong();
    state.SetIterationTime(total / 1000);
  }
  figures.Report(state);
}
BENCHMARK(BM_ReferenceEverySample)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc > 1 && QString(argv[1]) == "--reference") return RunReference();
  if (argc > 1 && QString(argv[1]) == "--reference-live") return RunLiveReference();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
