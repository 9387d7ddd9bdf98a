// libznapi.so against a local znsim: the cost of one call next to a raw loopback ping-pong of
// the same frame sizes, walking 100,000 tags, and reading a list of 10,000 tags.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <google/protobuf/wire_format_lite.h>
#include "LoopbackServer.h"
#include "ReferenceServers.h"
#include "ZnsimProcess.h"

#include "znapi.h"

namespace {

constexpr const char* kTag = "LIT101";
constexpr int kGeneratedTags = 100000;

testing_support::ZnsimProcess* server = nullptr;

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

// The frame sizes of a tag read and its reply, so that the raw ping-pong moves the same bytes.
// The wire schema's generated code stays out of this program: libznapi.so holds its own copy,
// and two copies in one process would register the same descriptors twice.
std::pair<std::size_t, std::size_t> TagReadFrameSizes(const std::string& value) {
  using google::protobuf::internal::WireFormatLite;
  constexpr std::size_t kHeader = 4;
  constexpr std::uint32_t kTypicalId = 100000;  // ids grow with every call of a long run
  const std::size_t id = 1 + WireFormatLite::UInt32Size(kTypicalId);
  const std::size_t tagRead = 1 + WireFormatLite::StringSize(kTag);
  const std::size_t request = id + 1 + WireFormatLite::LengthDelimitedSize(tagRead);
  const std::size_t tagValue = 1 + WireFormatLite::StringSize(value);
  const std::size_t ok = 2;
  const std::size_t reply = id + ok + 1 + WireFormatLite::LengthDelimitedSize(tagValue);
  return {kHeader + request, kHeader + reply};
}

void BM_RawPingPong(benchmark::State& state) {
  const int32_t h = Open();
  char value[256] = {};
  znTagRead(h, kTag, value, sizeof value);
  znClose(h);
  const auto [requestBytes, replyBytes] = TagReadFrameSizes(value);
  LoopbackServer echo(Echo(requestBytes, replyBytes));
  LoopbackClient client(echo.port());
  std::vector<char> request(requestBytes, 'q');
  std::vector<char> reply(replyBytes);
  for (auto _ : state) {
    if (!client.RoundTrip(request.data(), request.size(), reply.data(), reply.size())) {
      state.SkipWithError("echo failed");
      break;
    }
  }
  state.counters["request_bytes"] = static_cast<double>(requestBytes);
  state.counters["reply_bytes"] = static_cast<double>(replyBytes);
}

// Reads the tag once per iteration over `h`, then closes it.
void ReadTagRepeatedly(benchmark::State& state, int32_t h) {
  char value[256];
  for (auto _ : state) {
    if (znTagRead(h, kTag, value, sizeof value) == 0) {
      state.SkipWithError("znTagRead failed");
      break;
    }
    benchmark::DoNotOptimize(value);
  }
  znClose(h);
}

void BM_TagRead(benchmark::State& state) {
  ReadTagRepeatedly(state, Open());
}

// The same call against a server that answers on the spot: what the library itself adds to
// the raw ping-pong.
void BM_TagReadMinimalServer(benchmark::State& state) {
  LoopbackServer minimal(AnswerTagReads("2.6123"));
  const int32_t h = znOpen(minimal.address().c_str(), "Engineer", "Marlow", 0);
  if (h == 0) {
    state.SkipWithError("cannot open a connection to the minimal server");
    return;
  }
  ReadTagRepeatedly(state, h);
}

void BM_ZncodeTime(benchmark::State& state) {
  const int32_t h = Open();
  char result[256];
  for (auto _ : state) {
    if (znZncode(h, "Time(1)", 0, 0, result, sizeof result, 0) == 0) {
      state.SkipWithError("znZncode failed");
      break;
    }
    benchmark::DoNotOptimize(result);
  }
  znClose(h);
}

void BM_Browse100000Tags(benchmark::State& state) {
  const int32_t h = Open();
  int64_t records = 0;
  for (auto _ : state) {
    int32_t record = 0;
    const int32_t search = znFindFirst(h, "Tag", "*", &record, 0);
    if (search == 0) {
      state.SkipWithError("znFindFirst failed");
      break;
    }
    char name[32];
    int32_t length = 0;
    records = 0;
    do {
      znGetProperty(record, "Tag", name, sizeof name, &length, ZNAPI_TYPE_TEXT);
      ++records;
    } while (znFindNext(search, &record) != 0);
    znFindClose(search);
  }
  if (records < kGeneratedTags) state.SkipWithError("fewer records than tags");
  state.counters["records"] = static_cast<double>(records);
  znClose(h);
}

void BM_ListRead10000Tags(benchmark::State& state) {
  const int32_t h = Open();
  std::vector<std::string> tags;
  for (int i = 1; i <= 10000; ++i) tags.push_back(GeneratedTag(i));
  for (auto _ : state) {
    const int32_t list = znListNew(h, 0);
    std::vector<int32_t> items;
    items.reserve(tags.size());
    for (const auto& tag : tags) items.push_back(znListAdd(list, tag.c_str()));
    znListRead(list, 0);
    char value[256];
    int read = 0;
    for (const int32_t item : items) read += znListData(item, value, sizeof value, 0) != 0;
    znListFree(list);
    if (read != static_cast<int>(tags.size())) {
      state.SkipWithError("not every item was read");
      break;
    }
  }
  znClose(h);
}

}  // namespace

BENCHMARK(BM_RawPingPong)->UseRealTime();
BENCHMARK(BM_TagRead)->UseRealTime();
BENCHMARK(BM_TagReadMinimalServer)->UseRealTime();
BENCHMARK(BM_ZncodeTime)->UseRealTime();
BENCHMARK(BM_Browse100000Tags)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListRead10000Tags)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  testing_support::ZnsimProcess znsim({"--generate-tags", std::to_string(kGeneratedTags)});
  server = &znsim;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  server = nullptr;
  return 0;
}
