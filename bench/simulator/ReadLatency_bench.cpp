// What one client waits for a tag read while 0, 8 and 32 other clients run list reads of
// 10,000 tags each, all in one run against one server so that the ratios compare like with
// like. Goal: p99 beside 32 busy clients at most 5 times the p99 alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "RawClient.h"
#include "ZnsimProcess.h"
#include "framing.h"

namespace {

using simtest::RawClient;
using Clock = std::chrono::steady_clock;

struct Latency {
  double p50 = 0;
  double p99 = 0;
};

// Tag reads for a few seconds, in microseconds per read as the client sees it.
Latency Reads(RawClient& reader) {
  std::vector<double> us;
  const auto end = Clock::now() + std::chrono::seconds(3);
  while (Clock::now() < end && us.size() < 200'000) {
    const auto start = Clock::now();
    benchmark::DoNotOptimize(reader.TagRead("LIT101"));
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::sort(us.begin(), us.end());
  return {us[us.size() / 2], us[us.size() * 99 / 100]};
}

void BM_ReadLatencyBesideBusyClients(benchmark::State& state) {
  testing_support::ZnsimProcess sim({"--generate-tags", "10000"});
  RawClient reader(sim.port());
  reader.Login();
  znwire::Request list;
  for (int i = 1; i <= 10000; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "GEN%06d", i);
    list.mutable_list_read()->add_tags(name);
  }
  // The busy clients read their replies without decoding them: their own work would compete
  // with the server for this machine's processors, while real clients sit elsewhere.
  const std::string frame = *znwire::EncodeFrame(list);
  for (auto _ : state) {
    double idleP99 = 0;
    for (const int busy : {0, 8, 32}) {
      // Logged in one after another: logins from one address are limited, not list reads.
      std::vector<std::unique_ptr<RawClient>> others;
      for (int i = 0; i < busy; ++i) {
        others.push_back(std::make_unique<RawClient>(sim.port()));
        others.back()->Login();
      }
      std::atomic<bool> stop = false;
      std::atomic<int> running = 0;
      std::atomic<long> listReads = 0;
      std::vector<std::thread> threads;
      for (auto& other : others) {
        threads.emplace_back([&, client = other.get()] {
          ++running;
          while (!stop) {
            client->SendBytes(frame);
            if (!client->ReadBody(std::chrono::seconds(30))) break;
            ++listReads;
          }
        });
      }
      while (running < busy) std::this_thread::yield();
      const Latency latency = Reads(reader);
      stop = true;
      for (auto& thread : threads) thread.join();
      const std::string at = std::to_string(busy);
      state.counters["p50_us_" + at] = latency.p50;
      state.counters["p99_us_" + at] = latency.p99;
      if (busy == 0) idleP99 = latency.p99;
      if (busy > 0) state.counters["list_reads_" + at] = static_cast<double>(listReads);
      state.counters["p99_ratio_" + at] = latency.p99 / idleP99;
    }
  }
}
BENCHMARK(BM_ReadLatencyBesideBusyClients)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
