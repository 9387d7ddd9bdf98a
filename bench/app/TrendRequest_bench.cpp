// A Trends request of the main window (offscreen, real Qt event pump) against a real znsim,
// and the library-only walk of the same samples in the same run. The window's clock stops
// when the pane shows every row and has painted; it runs three requests in a row, as a user
// does, and reports each (seconds), the slowest over the library's time, and the third's time
// over the first's. Counters: rows per run, nanoseconds per row, resident memory after the
// requests.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <array>

#include "PaneView.h"
#include "PeriodTiming.h"
#include "QtHost.h"
#include "QueryTexts.h"
#include "RecordCursor.h"
#include "ResidentMemory.h"
#include "Widgets.h"
#include "WindowBench.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace window_bench {
namespace {

constexpr const char* kTrend = "PRESSURE";  // a demo plant trend sampled every second

// The request's duration in minutes: with a sample period of 1 s, 1667 minutes ask for
// 100,020 samples and 16666 minutes for 999,960 (a query yields at most a million rows).
void BM_TrendRequestWindow(benchmark::State& state) {
  ZnsimProcess& sim = Server(0);
  binding::basZNAPI module(Library());
  ui::QtHost host;
  auto w = std::make_unique<frmTestConnection>(module, host);
  w->show();
  w->txtComputer[0]->setText(QString::fromStdString(sim.address()));
  w->cmdTestConnection->click();
  w->optRead[1]->click();
  w->cboTagNames[2]->setEditText(kTrend);
  w->txtDuration->setText(QString::number(state.range(0)));
  w->cboUnits->setCurrentIndex(2);  // minutes
  w->txtSamplePeriod->setText("1");

  // Rows in the display, less the header and the empty line after the last row.
  const auto shownRows = [&] { return w->txtRequestedData->view()->LineCount() - 2; };
  std::int64_t rows = 0;
  Clock::duration elapsed{};
  std::array<double, 3> seconds{};
  for (auto _ : state) {
    for (double& took : seconds) {
      const auto start = Clock::now();
      w->cmdReadAlarmTrend->click();
      const auto requested = w->txtRequestedData->text().count(QLatin1String("\r\n")) - 1;
      while (shownRows() != requested) QApplication::processEvents(QEventLoop::AllEvents, 10);
      QApplication::processEvents();  // the paint that puts them on screen
      const auto spent = Clock::now() - start;
      took = std::chrono::duration<double>(spent).count();
      elapsed += spent;
      rows += requested;
    }
  }
  Report(state, "row", rows, elapsed);
  state.counters["first_s"] = seconds[0];
  state.counters["second_s"] = seconds[1];
  state.counters["third_s"] = seconds[2];
  state.counters["third_over_first"] = seconds[2] / seconds[0];
  ReportOverLibrary(state, *std::max_element(seconds.begin(), seconds.end()) * 1000);
  state.counters["rss_MB"] = bench_support::ResidentMegabytes();
  w->close();
}

void BM_TrendWalkLibraryOnly(benchmark::State& state) {
  ZnsimProcess& sim = Server(0);
  binding::DynamicZnApi& api = Library();
  const std::int32_t h = api.znOpen(sim.address().c_str(), "Engineer", "Marlow", 0);
  if (h <= 0) {
    state.SkipWithError("no connection");
    return;
  }
  const auto seconds = static_cast<std::int32_t>(state.range(0) * 60);
  std::int64_t rows = 0;
  Clock::duration elapsed{};
  for (auto _ : state) {
    ui::LocalDateTime now = ui::QtHost().Now();
    const QString query = logic::TrendQuery(logic::FormatPeriodText(now), "1", seconds, kTrend);
    const auto start = Clock::now();
    {
      binding::RecordCursor find(api, h, logic::ToAnsi(query));
      QString value;
      if (find.Found()) {
        find.Walk([&] {
          for (const char* field : {"Date", "Time", kTrend}) {
            value = logic::FieldValue(find.Field(field), logic::ValueRule::Trimmed);
            benchmark::DoNotOptimize(value);
          }
          ++rows;
          return true;
        });
      }
    }
    elapsed += Clock::now() - start;
  }
  api.znClose(h);
  Report(state, "row", rows, elapsed);
  LibraryMs()[state.range(0)] = std::chrono::duration<double, std::milli>(elapsed).count() /
                                static_cast<double>(state.iterations());
}

BENCHMARK(BM_TrendWalkLibraryOnly)
    ->Arg(1667)
    ->Arg(16666)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_TrendRequestWindow)
    ->Arg(1667)
    ->Arg(16666)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
}  // namespace window_bench
