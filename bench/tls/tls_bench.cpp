// What TLS costs the user: a tag read over TLS next to one over plain TCP, and a whole znOpen
// (connect, handshake, login) both ways, in alternating rounds against one znsim process
// that serves both on one port. Ratios are taken within each round of one run.
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

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

template <typename Call>
double MicrosecondsPerCall(int calls, Call&& call) {
  const auto start = Clock::now();
  for (int i = 0; i < calls; ++i) {
    if (!call()) throw std::runtime_error("a call failed");
  }
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / calls;
}

void BM_TagReadTlsOverPlain(benchmark::State& state) {
  constexpr int kRounds = 9;
  constexpr int kCalls = 5000;
  const int32_t plain = Open(Plain());
  const int32_t tls = Open(Tls());
  char value[256] = {};
  const auto readOn = [&](int32_t h) {
    return [&value, h] { return znTagRead(h, "LIT101", value, sizeof value) != 0; };
  };
  for (auto _ : state) {
    std::vector<double> plainUs, tlsUs, ratio;
    for (int round = 0; round < kRounds; ++round) {
      plainUs.push_back(MicrosecondsPerCall(kCalls, readOn(plain)));
      tlsUs.push_back(MicrosecondsPerCall(kCalls, readOn(tls)));
      ratio.push_back(tlsUs.back() / plainUs.back());
    }
    state.counters["plain_us"] = Median(plainUs);
    state.counters["tls_us"] = Median(tlsUs);
    state.counters["tls_ratio"] = Median(ratio);
  }
  znClose(plain);
  znClose(tls);
}

// A whole znOpen and znClose: the handshake's cost is the difference.
void BM_OpenTlsOverPlain(benchmark::State& state) {
  constexpr int kRounds = 9;
  constexpr int kOpens = 50;
  const auto openAndClose = [](const std::string& computer) {
    return [computer] { return znClose(Open(computer)) != 0; };
  };
  for (auto _ : state) {
    std::vector<double> plainUs, tlsUs, handshakeUs;
    for (int round = 0; round < kRounds; ++round) {
      plainUs.push_back(MicrosecondsPerCall(kOpens, openAndClose(Plain())));
      tlsUs.push_back(MicrosecondsPerCall(kOpens, openAndClose(Tls())));
      handshakeUs.push_back(tlsUs.back() - plainUs.back());
    }
    state.counters["plain_open_us"] = Median(plainUs);
    state.counters["tls_open_us"] = Median(tlsUs);
    state.counters["handshake_us"] = Median(handshakeUs);
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
