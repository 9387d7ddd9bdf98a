// znsim at the wire: trend and summary queries walked page by page, start-up of scale
// projects (a million tags: memory, time to ready, idle processor), and a single round trip
// for scale.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "AlarmHistory.h"
#include "DemoProject.h"
#include "ProcessStat.h"
#include "RawClient.h"
#include "ResidentMemory.h"
#include "ZnsimProcess.h"

namespace {

using simtest::RawClient;
using testing_support::ZnsimProcess;

// Walks a whole result the way a paging client does; returns the rows seen.
std::uint64_t WalkAll(RawClient& client, const std::string& table, benchmark::State& state) {
  const auto first = client.FindFirst(table, 2000);
  if (!first || !first->ok()) {
    state.SkipWithError("find failed");
    return 0;
  }
  const auto& page = first->find_page();
  std::uint64_t rows = static_cast<std::uint64_t>(page.rows_size());
  std::size_t bytes = 0;
  for (const auto& row : page.rows()) bytes += row.values(0).size();
  while (rows < page.total()) {
    const auto next = client.FindFetch(page.search(), rows, 2000);
    if (!next || !next->ok() || next->find_page().rows_size() == 0) {
      state.SkipWithError("fetch failed");
      return rows;
    }
    for (const auto& row : next->find_page().rows()) bytes += row.values(0).size();
    rows += static_cast<std::uint64_t>(next->find_page().rows_size());
  }
  benchmark::DoNotOptimize(bytes);
  znwire::Request close;
  close.mutable_find_close()->set_search(page.search());
  client.Call(close);
  return rows;
}

void BM_TimeRoundTrip(benchmark::State& state) {
  ZnsimProcess sim;
  RawClient client(sim.port());
  client.Login();
  for (auto _ : state) benchmark::DoNotOptimize(client.Zncode("Time(1)"));
}
BENCHMARK(BM_TimeRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_Trend100kSamples(benchmark::State& state) {
  ZnsimProcess sim;
  RawClient client(sim.port());
  client.Login();
  const znsim::Millis end = znsim::NowMillis();
  const std::string query = "ZNAPITrend(\"" + znsim::FormatTime(end) + "\",\"" +
                            znsim::FormatDate(end) + "\",1, 100000, 0, TREND1)";
  for (auto _ : state) {
    if (WalkAll(client, query, state) != 100000) state.SkipWithError("wrong sample count");
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_Trend100kSamples)->Unit(benchmark::kMillisecond);

// A summary of N occurrences walked page by page; the server's peak memory shows that it does
// not hold the summary whole.
void BM_AlarmSummary(benchmark::State& state) {
  const std::string data = testing_support::MakeTempDir("znsim-bench-");
  const znsim::Millis end = znsim::NowMillis();
  const znsim::Millis start = end - 3'600'000;
  const auto rows = static_cast<int>(state.range(0));
  {
    // Closed occurrences spread over the last hour, recorded before the server starts.
    const znsim::Project project = znsim::DemoProject();
    znsim::Database db(std::filesystem::path(data) / "znsim.db");
    znsim::AlarmHistory history(project, db);
    std::vector<znsim::AlarmTransition> transitions;
    for (int i = 0; i < rows; ++i) {
      const auto alarm = static_cast<std::size_t>(i) % project.alarms.size();
      const znsim::Millis on = start + static_cast<znsim::Millis>(i) * 3'000'000 / rows;
      transitions.push_back({alarm, true, on, "bench"});
      transitions.push_back({alarm, false, on + 200, {}});
    }
    history.Record(transitions);
  }
  ZnsimProcess sim({}, data);
  RawClient client(sim.port());
  client.Login();
  const std::string query = "ZNAPIAlarmSummary(\"" + znsim::FormatDate(start) + "\",\"" +
                            znsim::FormatTime(start) + "\",\"" + znsim::FormatDate(end) + "\",\"" +
                            znsim::FormatTime(end) + "\", 0, -1)";
  const double before = bench_support::StatusMegabytes(std::to_string(sim.pid()), "VmRSS:");
  for (auto _ : state) {
    if (WalkAll(client, query, state) < static_cast<std::uint64_t>(rows)) {
      state.SkipWithError("too few occurrences");
    }
  }
  state.SetItemsProcessed(state.iterations() * rows);
  state.counters["server_MB_before"] = before;
  state.counters["server_peak_MB"] =
      bench_support::StatusMegabytes(std::to_string(sim.pid()), "VmHWM:");
  sim.terminate();
  std::filesystem::remove_all(data);
}
BENCHMARK(BM_AlarmSummary)->Unit(benchmark::kMillisecond)->Arg(10000)->Arg(500000);

// From exec to the ready line with 40,000 generated tags, alarms and 1,000 trends, on a fresh
// data folder (so the alarm history is seeded too).
void BM_Startup40kTags(benchmark::State& state) {
  for (auto _ : state) {
    ZnsimProcess sim({"--generate-tags", "40000"});
    state.PauseTiming();
    sim.terminate();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Startup40kTags)->Unit(benchmark::kMillisecond)->Iterations(3);

// A million generated tags, each with a high alarm, on a fresh data folder: from exec to the
// ready line, the resident memory then, and the share of one processor used while no client
// asks anything (after 5 s of settling, over 20 s).
void BM_MillionTags(benchmark::State& state) {
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    ZnsimProcess sim({"--generate-tags", "1000000"});
    const double ready =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    state.counters["ready_s"] = ready;
    state.counters["resident_MB"] =
        bench_support::StatusMegabytes(std::to_string(sim.pid()), "VmRSS:");
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const double before = bench_support::CpuSeconds(sim.pid());
    std::this_thread::sleep_for(std::chrono::seconds(20));
    state.counters["idle_cpu_percent"] = (bench_support::CpuSeconds(sim.pid()) - before) / 20 * 100;
    state.counters["peak_MB"] = bench_support::StatusMegabytes(std::to_string(sim.pid()), "VmHWM:");
    sim.terminate();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_MillionTags)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Time(1) for one client while another walks a 100,000-sample trend.
void BM_TimeDuringTrendQuery(benchmark::State& state) {
  ZnsimProcess sim({"--generate-tags", "40000"});
  RawClient busy(sim.port());
  RawClient client(sim.port());
  busy.Login();
  client.Login();
  std::atomic<bool> stop = false;
  std::thread load([&] {
    const znsim::Millis end = znsim::NowMillis();
    const std::string query = "ZNAPITrend(\"" + znsim::FormatTime(end) + "\",\"" +
                              znsim::FormatDate(end) + "\",1, 100000, 0, GENTR000001)";
    while (!stop) {
      const auto first = busy.FindFirst(query, 2000);
      if (!first || !first->ok()) break;
      for (std::uint64_t at = 2000; at < 100000 && !stop; at += 2000) {
        busy.FindFetch(first->find_page().search(), at, 2000);
      }
      znwire::Request close;
      close.mutable_find_close()->set_search(first->find_page().search());
      busy.Call(close);
    }
  });
  for (auto _ : state) benchmark::DoNotOptimize(client.Zncode("Time(1)"));
  stop = true;
  load.join();
}
BENCHMARK(BM_TimeDuringTrendQuery)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
