// libznapi.so against a znsim process: one call next to a raw TCP ping-pong with a server
// process of its own (bench/reference), walking 100,000 tags, list reads of 10,000 and
// 100,000 tags, a trend of 100,000 samples, and a walk and a list read with the processors
// busy next to the same quiet. Ratios are taken within one run, so that both sides of a
// ratio saw the same machine.
//
// Options before Google Benchmark's own:
//   --settle_seconds=N   wait this long after starting the servers before measuring
//                        (default 5): a freshly started pair runs warm, an idle machine not
//   --busy_processes=N   keep N processes spinning meanwhile, to measure a loaded machine
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "AllocationCount.h"
#include "PingPongClient.h"
#include "ProcessStat.h"
#include "ZnsimProcess.h"
#include "znapi.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kTag = "LIT101";
constexpr const char* kTrend = "TREND1";
constexpr int kGeneratedTags = 100000;

testing_support::ZnsimProcess* server = nullptr;
int referencePort = 0;
std::pair<std::size_t, std::size_t> frameSizes;  // of a tag read: request, reply

int32_t Open() {
  const int32_t h = znOpen(server->address().c_str(), "Engineer", "Marlow", 0);
  if (h == 0) throw std::runtime_error("cannot open a connection to znsim");
  return h;
}

std::string GeneratedTag(int n) {
  char name[32];
  std::snprintf(name, sizeof name, "GEN%06d", n);
  return name;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Microseconds per call of `call`, made `calls` times in a row; false from it stops the run.
template <typename Call>
double MicrosecondsPerCall(int calls, Call&& call) {
  const auto start = Clock::now();
  for (int i = 0; i < calls; ++i) {
    if (!call()) throw std::runtime_error("a call failed");
  }
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / calls;
}

// Heap allocations per call of `call` in this thread, the library's included.
template <typename Call>
double AllocationsPerCall(int calls, Call&& call) {
  const std::uint64_t before = bench_support::ThreadAllocations();
  MicrosecondsPerCall(calls, call);
  return static_cast<double>(bench_support::ThreadAllocations() - before) / calls;
}

// One call three ways, in rounds: the raw ping-pong, znTagRead and znZncode("Time(1)"). The
// raw request and reply have the sizes of a tag read's frames.
void BM_SingleCall(benchmark::State& state) {
  constexpr int kRounds = 9;
  constexpr int kCalls = 5000;
  const int32_t h = Open();
  char value[256] = {};
  char result[256] = {};
  const auto tagRead = [&] { return znTagRead(h, kTag, value, sizeof value) != 0; };
  const auto zncode = [&] { return znZncode(h, "Time(1)", 0, 0, result, sizeof result, 0) != 0; };
  PingPongClient raw(referencePort, frameSizes.first, frameSizes.second);
  const auto rawTrip = [&] { return raw.RoundTrip(); };
  for (auto _ : state) {
    std::vector<double> rawUs, tagUs, zncodeUs, tagRatio, zncodeRatio;
    for (int round = 0; round < kRounds; ++round) {
      rawUs.push_back(MicrosecondsPerCall(kCalls, rawTrip));
      tagUs.push_back(MicrosecondsPerCall(kCalls, tagRead));
      zncodeUs.push_back(MicrosecondsPerCall(kCalls, zncode));
      tagRatio.push_back(tagUs.back() / rawUs.back());
      zncodeRatio.push_back(zncodeUs.back() / rawUs.back());
    }
    state.counters["raw_us"] = Median(rawUs);
    state.counters["tagread_us"] = Median(tagUs);
    state.counters["zncode_us"] = Median(zncodeUs);
    state.counters["tagread_ratio"] = Median(tagRatio);
    state.counters["zncode_ratio"] = Median(zncodeRatio);
    state.counters["tagread_allocs"] = AllocationsPerCall(kCalls, tagRead);
    state.counters["zncode_allocs"] = AllocationsPerCall(kCalls, zncode);
  }
  znClose(h);
}

// Walks the Tag table reading one field of each record, as the name lists load; the number of
// records, 0 when the walk could not start.
std::int64_t Browse(int32_t h) {
  int32_t record = 0;
  const int32_t search = znFindFirst(h, "Tag", "*", &record, 0);
  if (search == 0) return 0;
  char name[32];
  int32_t length = 0;
  std::int64_t records = 0;
  do {
    znGetProperty(record, "Tag", name, sizeof name, &length, ZNAPI_TYPE_TEXT);
    ++records;
  } while (znFindNext(search, &record) != 0);
  znFindClose(search);
  return records;
}

void BM_Browse100000Tags(benchmark::State& state) {
  const int32_t h = Open();
  std::int64_t records = 0;
  double cpu = 0;
  for (auto _ : state) {
    const double cpuStart = ThreadCpuSeconds();
    records = Browse(h);
    cpu += ThreadCpuSeconds() - cpuStart;
  }
  if (records < kGeneratedTags) state.SkipWithError("fewer records than tags");
  state.counters["records"] = static_cast<double>(records);
  state.counters["client_cpu_us_per_row"] =
      cpu * 1e6 / static_cast<double>(records * state.iterations());
  znClose(h);
}

// Milliseconds for a whole list read of `tags`: the list made, read, every value taken.
double ListReadMilliseconds(int32_t h, const std::vector<std::string>& tags) {
  const auto start = Clock::now();
  const int32_t list = znListNew(h, 0);
  std::vector<int32_t> items;
  items.reserve(tags.size());
  for (const auto& tag : tags) items.push_back(znListAdd(list, tag.c_str()));
  znListRead(list, 0);
  char value[256];
  std::size_t read = 0;
  for (const int32_t item : items) read += znListData(item, value, sizeof value, 0) != 0;
  znListFree(list);
  if (read != tags.size()) throw std::runtime_error("not every item was read");
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// List reads of 10,000 and 100,000 tags in alternating rounds: reading ten times the tags
// should cost ten times as much.
void BM_ListReadScaling(benchmark::State& state) {
  constexpr int kRounds = 9;
  const int32_t h = Open();
  std::vector<std::string> small, large;
  for (int i = 1; i <= kGeneratedTags; ++i) {
    large.push_back(GeneratedTag(i));
    if (i <= kGeneratedTags / 10) small.push_back(large.back());
  }
  for (auto _ : state) {
    std::vector<double> smallMs, largeMs, ratios;
    const long faultsBefore = bench_support::PageFaults(server->pid());
    for (int round = 0; round < kRounds; ++round) {
      smallMs.push_back(ListReadMilliseconds(h, small));
      largeMs.push_back(ListReadMilliseconds(h, large));
      ratios.push_back(largeMs.back() / smallMs.back());
    }
    state.counters["ms_10000"] = Median(smallMs);
    state.counters["ms_100000"] = Median(largeMs);
    state.counters["ratio"] = Median(ratios);
    state.counters["server_faults_per_round"] =
        static_cast<double>(bench_support::PageFaults(server->pid()) - faultsBefore) / kRounds;
  }
  znClose(h);
}

// Processes that keep the processors busy: a loaded machine, measured on purpose. They are
// this program started again with --spin, through posix_spawn: a fork would leave this
// process's pages copy-on-write, and the measured calls would then pay a page fault and a copy
// for every page they touch, which a user's busy machine does not charge them.
class BusyProcesses {
 public:
  explicit BusyProcesses(int count) {
    char program[] = "znapi_bench";
    char spin[] = "--spin";
    char* const argv[] = {program, spin, nullptr};
    for (int i = 0; i < count; ++i) {
      pid_t pid = 0;
      if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, environ) == 0) {
        pids_.push_back(pid);
      }
    }
  }
  ~BusyProcesses() {
    for (const pid_t pid : pids_) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

 private:
  std::vector<pid_t> pids_;
};

// A list read of 10,000 tags and a walk of 100,000, in rounds alternately as the machine is and
// with both processors kept busy by two more processes: each busy time over its quiet one.
// Meant to run without --busy_processes, which would keep every round busy.
void BM_BusyOverQuiet(benchmark::State& state) {
  constexpr int kRounds = 5;
  const int32_t h = Open();
  std::vector<std::string> tags;
  for (int i = 1; i <= kGeneratedTags / 10; ++i) tags.push_back(GeneratedTag(i));
  const auto browseMs = [h] {
    const auto start = Clock::now();
    if (Browse(h) < kGeneratedTags) throw std::runtime_error("fewer records than tags");
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  };
  for (auto _ : state) {
    std::vector<double> quietList, busyList, quietBrowse, busyBrowse;
    for (int round = 0; round < kRounds; ++round) {
      quietList.push_back(ListReadMilliseconds(h, tags));
      quietBrowse.push_back(browseMs());
      const BusyProcesses load(2);
      // Measured once the spinners run, not while they are still starting.
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      busyList.push_back(ListReadMilliseconds(h, tags));
      busyBrowse.push_back(browseMs());
    }
    state.counters["list_quiet_ms"] = Median(quietList);
    state.counters["list_busy_ms"] = Median(busyList);
    state.counters["list_ratio"] = Median(busyList) / Median(quietList);
    state.counters["browse_quiet_ms"] = Median(quietBrowse);
    state.counters["browse_busy_ms"] = Median(busyBrowse);
    state.counters["browse_ratio"] = Median(busyBrowse) / Median(quietBrowse);
  }
  znClose(h);
}

// 100,000 samples of a trend sampled every second, each row's three fields read.
void BM_Trend100000Samples(benchmark::State& state) {
  const int32_t h = Open();
  char date[32], time[32], sample[32];
  int32_t length = 0;
  std::int64_t rows = 0;
  for (auto _ : state) {
    // The server's clock: the window asks for the samples up to its current time.
    if (znZncode(h, "Time(1)", 0, 0, time, sizeof time, 0) == 0 ||
        znZncode(h, "Date(1)", 0, 0, date, sizeof date, 0) == 0) {
      state.SkipWithError("no server time");
      break;
    }
    const std::string query =
        std::string("ZNAPITrend(\"") + time + "\",\"" + date + "\",1, 100000, 0, " + kTrend + ")";
    int32_t record = 0;
    const int32_t search = znFindFirst(h, query.c_str(), "*", &record, 0);
    rows = 0;
    while (search != 0) {
      znGetProperty(record, "Date", date, sizeof date, &length, ZNAPI_TYPE_TEXT);
      znGetProperty(record, "Time", time, sizeof time, &length, ZNAPI_TYPE_TEXT);
      znGetProperty(record, kTrend, sample, sizeof sample, &length, ZNAPI_TYPE_TEXT);
      ++rows;
      if (znFindNext(search, &record) == 0) break;
    }
    znFindClose(search);
  }
  if (rows != 100000) state.SkipWithError("not 100,000 samples");
  znClose(h);
}

// Takes --NAME=N out of argv; `fallback` when it is not there.
int TakeOption(int& argc, char** argv, const char* name, int fallback) {
  const std::string prefix = std::string("--") + name + "=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) {
      const int value = std::atoi(argv[i] + prefix.size());
      std::copy(argv + i + 1, argv + argc, argv + i);
      --argc;
      return value;
    }
  }
  return fallback;
}

}  // namespace

BENCHMARK(BM_SingleCall)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Browse100000Tags)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListReadScaling)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Trend100000Samples)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BusyOverQuiet)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--spin") == 0) {
    unsigned long spin = 0;
    while (true) benchmark::DoNotOptimize(++spin);
  }
  const int settleSeconds = TakeOption(argc, argv, "settle_seconds", 5);
  const int busy = TakeOption(argc, argv, "busy_processes", 0);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  testing_support::ZnsimProcess znsim({"--generate-tags", std::to_string(kGeneratedTags)});
  server = &znsim;
  {
    const int32_t h = Open();
    char value[256] = {};
    znTagRead(h, kTag, value, sizeof value);
    znClose(h);
    frameSizes = TagReadFrameSizes(kTag, value);
  }
  const testing_support::TempDir logs("raw-pingpong-");
  const auto reference =
      testing_support::StartAndAwaitReady({RAW_PINGPONG_PATH, std::to_string(frameSizes.second)},
                                          "raw pingpong listening on ", logs.path + "/stderr.log");
  referencePort = reference.port;
  {
    BusyProcesses load(busy);
    std::this_thread::sleep_for(std::chrono::seconds(settleSeconds));
    benchmark::AddCustomContext("settle_seconds", std::to_string(settleSeconds));
    benchmark::AddCustomContext("busy_processes", std::to_string(busy));
    benchmark::RunSpecifiedBenchmarks();
  }
  kill(reference.pid, SIGKILL);
  waitpid(reference.pid, nullptr, 0);
  benchmark::Shutdown();
  server = nullptr;
  return 0;
}
