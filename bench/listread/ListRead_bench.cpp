// The list window (offscreen) filling its lists: Read of 10,000 tags against a real znsim
// with a generated project, the library-only list read of the same tags in the same run, and
// the move buttons on 32,767 names.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DynamicZnApi.h"
#include "GeneratedTags.h"
#include "QtHost.h"
#include "TextDragList.h"
#include "ZnsimProcess.h"
#include "basZNAPI.h"
#include "frmListRead.h"

namespace {

using bench_support::GeneratedTags;
using testing_support::ZnsimProcess;

constexpr int kReadTags = 10000;
constexpr int kMoveNames = 32767;

ZnsimProcess& Server() {
  static auto sim = std::make_unique<ZnsimProcess>(std::vector<std::string>{
      "--generate-tags", std::to_string(kReadTags), "--seed-history", "0", "--log-level", "warn"});
  return *sim;
}

void BM_ReadWindow(benchmark::State& state) {
  binding::DynamicZnApi api;
  binding::basZNAPI module(api);
  module.table().Computer[0] = Server().address();
  module.table().UserID[0] = "Engineer";
  module.table().Password[0] = "Marlow";
  ui::QtHost host;
  QLabel status;
  frmListRead w(module, host, &status);
  w.lstTagNames->addItems(GeneratedTags(kReadTags));
  for (auto _ : state) w.cmdRead->click();
  if (w.lstTagValues->count() != kReadTags || w.lstTagValues->item(0)->text().startsWith("TAG "))
    state.SkipWithError("the read did not deliver every value");
  state.counters["tags"] = kReadTags;
}

void BM_ReadLibraryOnly(benchmark::State& state) {
  binding::DynamicZnApi api;
  const std::int32_t h = api.znOpen(Server().address().c_str(), "Engineer", "Marlow", 0);
  if (h <= 0) {
    state.SkipWithError("no connection");
    return;
  }
  std::vector<std::string> tags;
  for (const QString& name : GeneratedTags(kReadTags)) tags.push_back(name.toStdString());
  for (auto _ : state) {
    const std::int32_t list = api.znListNew(h, 0);
    std::vector<std::int32_t> items;
    items.reserve(tags.size());
    for (const auto& tag : tags) items.push_back(api.znListAdd(list, tag.c_str()));
    api.znListRead(list, 0);
    for (std::int32_t item : items) {
      std::array<char, 255> value{};
      benchmark::DoNotOptimize(api.znListData(item, value.data(), 255, 0));
    }
    api.znListFree(list);
  }
  api.znClose(h);
  state.counters["tags"] = kReadTags;
}

// Names in mixed case with repeats, so ties and case folding take their real share.
QStringList MixedNames(int count) {
  QStringList names;
  names.reserve(count);
  for (int i = 0; i < count; ++i) {
    const int n = (i * 7919) % 30000;
    names.append((i % 3 == 0 ? QStringLiteral("tank_%1") : QStringLiteral("Tank_%1")).arg(n));
  }
  return names;
}

/// Times one move button per iteration; `prepare` fills the lists beforehand, untimed.
void MoveNames(benchmark::State& state, int button,
               const std::function<void(frmListRead&, const QStringList&)>& prepare) {
  binding::DynamicZnApi api;  // never called: moves do not touch the server
  binding::basZNAPI module(api);
  ui::QtHost host;
  frmListRead w(module, host, nullptr);
  const QStringList names = MixedNames(kMoveNames);
  for (auto _ : state) {
    state.PauseTiming();
    w.lstTagNames->clear();
    w.lstAvailable->clear();
    prepare(w, names);
    state.ResumeTiming();
    w.cmdSelect[button]->click();
  }
  if (w.lstTagNames->count() != kMoveNames) state.SkipWithError("not every name moved");
  state.counters["names"] = kMoveNames;
}

// ">>" from a full available list into an empty or a half-full selected list.
void BM_MoveAll(benchmark::State& state) {
  const auto alreadySelected = static_cast<int>(state.range(0));
  MoveNames(state, 1, [&](frmListRead& w, const QStringList& names) {
    // The selected list is only ever filled at sorted places; the window does that here.
    w.lstAvailable->addItems(names.mid(0, alreadySelected));
    w.cmdSelect[1]->click();
    w.lstAvailable->addItems(names.mid(alreadySelected));
  });
}

// ">" with every entry selected, which also removes each one from the source.
void BM_MoveSelected(benchmark::State& state) {
  MoveNames(state, 0, [](frmListRead& w, const QStringList& names) {
    w.lstAvailable->addItems(names);
    w.lstAvailable->selectAll();
  });
}

BENCHMARK(BM_ReadLibraryOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ReadWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_MoveAll)
    ->Arg(0)
    ->Arg(kMoveNames / 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(BM_MoveSelected)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
