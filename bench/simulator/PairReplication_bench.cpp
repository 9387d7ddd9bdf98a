// A redundant pair at work: how long a value written on one server takes to be read from the
// other at 1,000 writes a second (p50, p99), and what the peer costs a client's single call
// (a write, a read) beside a lone server measured in the same run. Goal: ratio within 1.05.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "RawClient.h"
#include "ZnsimProcess.h"

namespace {

using simtest::RawClient;
using testing_support::PairArgs;
using testing_support::TempDir;
using testing_support::ZnsimProcess;
using Clock = std::chrono::steady_clock;

double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1))];
}

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Writes 1..count to FIT301 on `writer`'s server, paced at 1,000 a second, while a reader on
// the other server reads it as fast as it can; the delay of write i runs from its reply to the
// first read that shows i or a later value.
std::vector<double> ReplicationDelays(RawClient& writer, RawClient& reader, int count) {
  std::vector<Clock::time_point> acked(count + 1);
  std::vector<double> delays;
  std::atomic<int> lastAcked = 0;
  std::atomic<bool> done = false;
  std::thread readerThread([&] {
    int seen = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (seen < count && Clock::now() < deadline) {
      const auto reply = reader.TagRead("FIT301");
      const auto now = Clock::now();
      if (!reply || !reply->ok()) break;
      const int value = std::atoi(reply->tag_value().value().c_str());
      // Only writes already answered on the writer count; later ones are met on a next read.
      const int upTo = std::min(value, lastAcked.load());
      for (int i = seen + 1; i <= upTo; ++i) delays.push_back(Ms(now - acked[i]));
      seen = std::max(seen, upTo);
    }
    done = true;
  });
  const auto start = Clock::now();
  for (int i = 1; i <= count && !done; ++i) {
    std::this_thread::sleep_until(start + std::chrono::milliseconds(i));
    const auto reply = writer.Zncode("TagWrite(\"FIT301\", " + std::to_string(i) + ")");
    acked[i] = Clock::now();
    if (!reply || !reply->ok()) break;
    lastAcked = i;
  }
  readerThread.join();
  return delays;
}

// The p50 of single round trips of `call`, in microseconds.
template <typename Call>
double SingleCall(Call call) {
  std::vector<double> us;
  for (int i = 0; i < 3000; ++i) {
    const auto start = Clock::now();
    call(i);
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  return Quantile(us, 0.5);
}

void BM_PairReplication(benchmark::State& state) {
  TempDir folder("znsim-pair-bench-");
  ZnsimProcess alpha(PairArgs(folder.path, "alpha"));
  ZnsimProcess beta(PairArgs(folder.path, "beta", alpha.address()));
  ZnsimProcess lone;
  RawClient onAlpha(alpha.port());
  RawClient onBeta(beta.port());
  RawClient onLone(lone.port());
  if (!onAlpha.Login() || !onBeta.Login() || !onLone.Login()) {
    state.SkipWithError("login refused");
    return;
  }
  for (auto _ : state) {
    const auto delays = ReplicationDelays(onAlpha, onBeta, 5000);
    state.counters["replicated"] = static_cast<double>(delays.size());
    state.counters["delay_p50_ms"] = Quantile(delays, 0.5);
    state.counters["delay_p99_ms"] = Quantile(delays, 0.99);

    const auto write = [](RawClient& client) {
      return [&client](int i) {
        benchmark::DoNotOptimize(client.Zncode("TagWrite(\"AIT101\", " + std::to_string(i) + ")"));
      };
    };
    const auto read = [](RawClient& client) {
      return [&client](int) { benchmark::DoNotOptimize(client.TagRead("LIT101")); };
    };
    const double loneWrite = SingleCall(write(onLone));
    const double pairWrite = SingleCall(write(onAlpha));
    const double loneRead = SingleCall(read(onLone));
    const double pairRead = SingleCall(read(onAlpha));
    state.counters["write_p50_us_lone"] = loneWrite;
    state.counters["write_p50_us_paired"] = pairWrite;
    state.counters["write_ratio"] = pairWrite / loneWrite;
    state.counters["read_p50_us_lone"] = loneRead;
    state.counters["read_p50_us_paired"] = pairRead;
    state.counters["read_ratio"] = pairRead / loneRead;
  }
}
BENCHMARK(BM_PairReplication)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
