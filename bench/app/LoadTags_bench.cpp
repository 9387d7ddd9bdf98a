// Load Tags of the main window (offscreen, real Qt event pump) against a real znsim with a
// generated project, and the library-only browse of the same three lists in the same run.
// Counters: names loaded per run, nanoseconds per name, the window's time over the library's,
// resident memory after the load.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

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

void BM_LoadTagsWindow(benchmark::State& state) {
  ZnsimProcess& sim = Server(static_cast<int>(state.range(0)));
  binding::basZNAPI module(Library());
  ui::QtHost host;
  frmTestConnection w(module, host);
  w.show();
  w.txtComputer[0]->setText(QString::fromStdString(sim.address()));
  w.cmdTestConnection->click();

  std::int64_t names = 0;
  Clock::duration elapsed{};
  for (auto _ : state) {
    const auto start = Clock::now();
    w.cmdLoadZontraSchema->click();
    elapsed += Clock::now() - start;
    for (QComboBox* box : w.cboTagNames) names += box->count();
  }
  Report(state, "name", names, elapsed);
  ReportOverLibrary(state, std::chrono::duration<double, std::milli>(elapsed).count() /
                               static_cast<double>(state.iterations()));
  state.counters["rss_MB"] = bench_support::ResidentMegabytes();
}

void BM_BrowseLibraryOnly(benchmark::State& state) {
  ZnsimProcess& sim = Server(static_cast<int>(state.range(0)));
  binding::DynamicZnApi& api = Library();
  const std::int32_t h = api.znOpen(sim.address().c_str(), "Engineer", "Marlow", 0);
  if (h <= 0) {
    state.SkipWithError("no connection");
    return;
  }
  std::int64_t names = 0;
  Clock::duration elapsed{};
  for (auto _ : state) {
    const auto start = Clock::now();
    for (const auto& list : logic::kNameLists) {
      binding::RecordCursor find(api, h, list.table);
      if (!find.Found()) continue;
      benchmark::DoNotOptimize(find.Count());
      find.First();
      std::int32_t added = 0;
      find.Walk([&] {
        benchmark::DoNotOptimize(find.Field(list.property));
        ++names;
        return ++added < logic::kNameListCap;
      });
    }
    elapsed += Clock::now() - start;
  }
  api.znClose(h);
  Report(state, "name", names, elapsed);
  LibraryMs()[state.range(0)] = std::chrono::duration<double, std::milli>(elapsed).count() /
                                static_cast<double>(state.iterations());
}

// 3,276 and 32,767 generated tags, alarms and trends: the second fills every list to its cap.
BENCHMARK(BM_BrowseLibraryOnly)
    ->Arg(3276)
    ->Arg(32767)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_LoadTagsWindow)
    ->Arg(3276)
    ->Arg(32767)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
}  // namespace window_bench
