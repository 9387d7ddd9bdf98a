// What TLS costs the user: a tag read over TLS next to one over plain TCP, and a whole znOpen
// (connect, handshake, login) both ways, in alternating rounds against one znsim process
// that serves both on one port. Ratios are taken within each round of one run. Every TLS open
// after the first resumes its session, as a reconnect does.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestCertificates.h"
#include "ZnsimProcess.h"
#include "znapi.h"

namespace {

using Clock = std::chrono::steady_clock;

testing_support::ZnsimProcess* server = nullptr;

std::string Plain() {
  return server->address();
}
std::string Tls() {
  return "tls://" + server->address();
}

int32_t Open(const std::string& computer) {
  const int32_t h = znOpen(computer.c_str(), "Engineer", "Marlow", 0);
  if (h == 0) throw std::runtime_error("cannot open " + computer);
  return h;
}

struct Rounds {
  std::vector<double> first, second, ratio;  // microseconds per call, second / first

  static double MedianOf(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
  }
};

// `calls` of `first`, then as many of `second`, `rounds` times over: the two sides of each
// ratio saw the same moment of the machine.
template <typename First, typename Second>
Rounds Alternate(int rounds, int calls, First&& first, Second&& second) {
  Rounds out;
  const auto timed = [calls](auto& call) {
    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i) {
      if (!call()) throw std::runtime_error("a call failed");
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / calls;
  };
  for (int round = 0; round < rounds; ++round) {
    out.first.push_back(timed(first));
    out.second.push_back(timed(second));
    out.ratio.push_back(out.second.back() / out.first.back());
  }
  return out;
}

void BM_TagReadTlsOverPlain(benchmark::State& state) {
  const int32_t plain = Open(Plain());
  const int32_t tls = Open(Tls());
  char value[256] = {};
  const auto readOn = [&value](int32_t h) {
    return [&value, h] { return znTagRead(h, "LIT101", value, sizeof value) != 0; };
  };
  for (auto _ : state) {
    const auto rounds = Alternate(9, 5000, readOn(plain), readOn(tls));
    state.counters["plain_us"] = Rounds::MedianOf(rounds.first);
    state.counters["tls_us"] = Rounds::MedianOf(rounds.second);
    state.counters["tls_ratio"] = Rounds::MedianOf(rounds.ratio);
  }
  znClose(plain);
  znClose(tls);
}

// A whole znOpen and znClose: the handshake's cost is the difference.
void BM_OpenTlsOverPlain(benchmark::State& state) {
  const auto openAndClose = [](std::string computer) {
    return [computer] { return znClose(Open(computer)) != 0; };
  };
  for (auto _ : state) {
    const auto rounds = Alternate(9, 50, openAndClose(Plain()), openAndClose(Tls()));
    const double plainUs = Rounds::MedianOf(rounds.first);
    const double tlsUs = Rounds::MedianOf(rounds.second);
    state.counters["plain_open_us"] = plainUs;
    state.counters["tls_open_us"] = tlsUs;
    state.counters["handshake_us"] = tlsUs - plainUs;
  }
}

}  // namespace

BENCHMARK(BM_TagReadTlsOverPlain)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenTlsOverPlain)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const testing_support::TempDir pki("tls-bench-");
  const auto certificate = testing_support::MakeServerCertificate(pki.path);
  setenv("ZNAPI_TLS_CA", certificate.ca.c_str(), 1);
  testing_support::ZnsimProcess znsim(certificate.ServeArgs());
  server = &znsim;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  server = nullptr;
  return 0;
}
