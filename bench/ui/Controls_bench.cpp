// Sorted inserts into a list, at a tenth of full size and at full size, so that the cost per
// item can be compared across the two.
#include <benchmark/benchmark.h>

#include <QListWidget>
#include <QStringList>
#include <random>

#include "Widgets.h"

namespace {

// Names in the server's order, which is not the box's: a random order is the worst case for
// the position search and the row shifts.
QStringList RandomNames(int count) {
  std::mt19937 random(1);
  QStringList names;
  names.reserve(count);
  for (int i = 0; i < count; ++i)
    names << QStringLiteral("Plant%1.Tag%2").arg(random() % 100000).arg(i);
  return names;
}

void BM_AddSortedList(benchmark::State& state) {
  const QStringList names = RandomNames(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    QListWidget list;
    for (const QString& name : names) ui::AddSorted(&list, name);
    benchmark::DoNotOptimize(list.count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddSortedList)->Arg(3276)->Arg(32767)->Unit(benchmark::kMillisecond);

}  // namespace
