// Load Tags of the main window (offscreen, real Qt event pump) against a real znsim with a
// generated project, and the library-only browse of the same three lists in the same run.
// Counters: names loaded per run, nanoseconds per name, resident memory after the load.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "DynamicZnApi.h"
#include "QtHost.h"
#include "QueryTexts.h"
#include "ResidentMemory.h"
#include "Widgets.h"
#include "ZnsimProcess.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace {

using testing_support::ZnsimProcess;

/// One znsim per generated size, started on first use and ended at exit.
ZnsimProcess& Server(int generated) {
  static std::map<int, std::unique_ptr<ZnsimProcess>> servers;
  auto& sim = servers[generated];
  if (!sim) {
    const std::string n = std::to_string(generated);
    sim = std::make_unique<ZnsimProcess>(
        std::vector<std::string>{"--generate-tags", n, "--generate-trends", n, "--seed-history",
                                 "0", "--log-level", "warn"});
  }
  return *sim;
}

using Clock = std::chrono::steady_clock;

void Report(benchmark::State& state, std::int64_t names, Clock::duration elapsed) {
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["names"] = static_cast<double>(names) / iterations;
  state.counters["ns_per_name"] =
      names == 0 ? 0.0
                 : static_cast<double>(std::chrono::nanoseconds(elapsed).count()) /
                       static_cast<double>(names);
}

void BM_LoadTagsWindow(benchmark::State& state) {
  ZnsimProcess& sim = Server(static_cast<int>(state.range(0)));
  server::DynamicZnApi api;
  server::basZNAPI module(api);
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
  Report(state, names, elapsed);
  state.counters["rss_MB"] = bench_support::ResidentMegabytes();
}

void BM_BrowseLibraryOnly(benchmark::State& state) {
  ZnsimProcess& sim = Server(static_cast<int>(state.range(0)));
  server::DynamicZnApi api;
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
      std::int32_t object = 0;
      const std::int32_t search = api.znFindFirst(h, list.table, "*", &object, 0);
      if (search == 0) continue;
      benchmark::DoNotOptimize(api.znFindScroll(search, 4, 0, &object));
      api.znFindScroll(search, 3, 0, &object);
      for (std::int32_t added = 0; added < logic::kNameListCap;) {
        std::array<char, logic::kNameBufferLength> name{};
        std::int32_t length = 0;
        api.znGetProperty(object, list.property, name.data(), logic::kNameBufferLength, &length,
                          logic::kPropertyAsText);
        benchmark::DoNotOptimize(name);
        ++added;
        ++names;
        if (api.znFindNext(search, &object) == 0) break;
      }
      api.znFindClose(search);
    }
    elapsed += Clock::now() - start;
  }
  api.znClose(h);
  Report(state, names, elapsed);
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
