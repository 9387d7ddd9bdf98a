// What a user waits for when zncheck exports a large table: `zncheck browse Tag --format csv`
// of a million tags to /dev/null, from start to exit, beside the library-only walk of the
// same records (bench/cli/BrowseWalk.cpp) in the same run; both are processes of their own.
// Goal: at most 1.3 times the walk, and at most 50 MB resident.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "ZnsimProcess.h"

extern char** environ;

namespace {

constexpr int kTags = 1000000;
testing_support::ZnsimProcess* server = nullptr;
double walkSeconds = 0;

struct Finished {
  double seconds;
  double peakMegabytes;
};

// Runs a program with its output to /dev/null and waits for it.
Finished RunToEnd(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::string password = "ZNAPI_PASSWORD=Marlow";
  std::vector<char*> env{password.data()};
  for (char** e = environ; *e; ++e) env.push_back(*e);
  env.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0)
    throw std::runtime_error("cannot start " + args[0]);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(args[0] + " failed");
  return {seconds, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

void Measure(benchmark::State& state, const std::vector<std::string>& args, bool reference) {
  double total = 0;
  double peak = 0;
  for (auto _ : state) {
    const Finished run = RunToEnd(args);
    state.SetIterationTime(run.seconds);
    total += run.seconds;
    peak = std::max(peak, run.peakMegabytes);
  }
  const double mean = total / static_cast<double>(state.iterations());
  if (reference) walkSeconds = mean;
  state.counters["peak_rss_MB"] = peak;
  if (!reference && walkSeconds > 0) state.counters["x_walk"] = mean / walkSeconds;
}

void BM_LibraryWalk(benchmark::State& state) {
  Measure(state, {BROWSE_WALK_PATH, server->address(), "Engineer", "Marlow", "Tag"}, true);
}

void BM_ZncheckBrowseCsv(benchmark::State& state) {
  Measure(state,
          {ZNCHECK_BUILD_PATH, "browse", "Tag", "--format", "csv", "--primary", server->address()},
          false);
}

}  // namespace

BENCHMARK(BM_LibraryWalk)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZncheckBrowseCsv)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  testing_support::ZnsimProcess znsim({"--generate-tags", std::to_string(kTags),
                                       "--generate-alarms", "0", "--generate-trends", "0",
                                       "--max-rows", std::to_string(2 * kTags)});
  server = &znsim;
  // The server's first walk of a fresh project costs more than the later ones; neither side
  // should pay it.
  RunToEnd({BROWSE_WALK_PATH, server->address(), "Engineer", "Marlow", "Tag"});
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  server = nullptr;
  return 0;
}
