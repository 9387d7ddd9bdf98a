#pragma once
// What the main window's benchmarks share: the servers, one binding of the library, and the
// figures per name or row.
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DynamicZnApi.h"
#include "ZnsimProcess.h"

namespace window_bench {

using Clock = std::chrono::steady_clock;
using testing_support::ZnsimProcess;

/// One znsim per generated size (0: the demo plant alone), started on first use and ended at
/// exit.
inline ZnsimProcess& Server(int generated) {
  static std::map<int, std::unique_ptr<ZnsimProcess>> servers;
  auto& sim = servers[generated];
  if (!sim) {
    std::vector<std::string> args{"--seed-history", "0", "--log-level", "warn"};
    for (const char* option : {"--generate-tags", "--generate-trends"})
      if (generated > 0) args.insert(args.end(), {option, std::to_string(generated)});
    sim = std::make_unique<ZnsimProcess>(args);
  }
  return *sim;
}

// One binding for the whole run: loading the library a second time after the first binding
// let it go aborts in the wire schema's registration.
inline binding::DynamicZnApi& Library() {
  static binding::DynamicZnApi api;
  return api;
}

/// Milliseconds per iteration of the library-only reference, by argument, for the window's
/// ratio to it in the same run: the references are registered, and so run, first.
inline std::map<std::int64_t, double>& LibraryMs() {
  static std::map<std::int64_t, double> ms;
  return ms;
}

/// The window's milliseconds for the same work as the reference of the same argument, as
/// the counter `over_library`.
inline void ReportOverLibrary(benchmark::State& state, double windowMs) {
  const auto reference = LibraryMs().find(state.range(0));
  if (reference != LibraryMs().end() && reference->second > 0)
    state.counters["over_library"] = windowMs / reference->second;
}

/// `count` things (names, rows) per iteration, and the nanoseconds each took.
inline void Report(benchmark::State& state, const std::string& thing, std::int64_t count,
                   Clock::duration elapsed) {
  state.counters[thing + "s"] =
      static_cast<double>(count) / static_cast<double>(state.iterations());
  state.counters["ns_per_" + thing] =
      count == 0 ? 0.0
                 : static_cast<double>(std::chrono::nanoseconds(elapsed).count()) /
                       static_cast<double>(count);
}

}  // namespace window_bench
