// The Watch window (offscreen) watching 1,000 and 10,000 tags of a generated project at 1 Hz
// against a real znsim, recording every cycle: the client's CPU per cycle and as a share of
// one core, the longest the window's event loop was blocked, and the recording's bytes per
// hour; the window without tags and znsim's CPU in the same run are the references.
// WATCH_BENCH_SECONDS shortens the 60 s.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "CallLog.h"
#include "DynamicZnApi.h"
#include "GeneratedTags.h"
#include "ProcessStat.h"
#include "QtHost.h"
#include "RecordingZnApi.h"
#include "ZnsimProcess.h"
#include "basZNAPI.h"
#include "frmWatch.h"

namespace {

using bench_support::GeneratedTags;
using testing_support::ZnsimProcess;

constexpr int kMostTags = 10000;

ZnsimProcess& Server() {
  static auto sim = std::make_unique<ZnsimProcess>(std::vector<std::string>{
      "--generate-tags", std::to_string(kMostTags), "--seed-history", "0", "--log-level", "warn"});
  return *sim;
}

double OwnCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int Seconds() {
  const int seconds = qEnvironmentVariableIntValue("WATCH_BENCH_SECONDS");
  return seconds > 0 ? seconds : 60;
}

void BM_WatchWindow(benchmark::State& state) {
  const int tags = static_cast<int>(state.range(0));
  // As the program runs it: every call recorded in the call log.
  binding::DynamicZnApi library;
  binding::CallLog callLog;
  binding::RecordingZnApi api(library, callLog);
  binding::basZNAPI module(api);
  module.table().Computer[0] = Server().address();
  module.table().UserID[0] = "Engineer";
  module.table().Password[0] = "Marlow";
  ui::QtHost host;
  QTemporaryDir dir;
  watch::frmWatch w(module, host, {}, GeneratedTags(tags));
  w.show();
  if (tags > 0) w.StartRecording({dir.filePath("bench.csv")});
  for (auto _ : state) {
    // A ticker every 5 ms: the longest wait between its ticks, less its period, is the longest
    // the event loop was kept from running (by a cycle, or by other processes on a loaded
    // machine: the run without tags measures the ticker alone).
    constexpr int kTickMs = 5;
    QElapsedTimer sinceTick;
    qint64 longestBlock = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    // Each cycle's own time, from the status line that reports it: a median that a loaded
    // machine's preemption hardly moves.
    static const QRegularExpression kCycleMs(QStringLiteral(" in (\\d+) ms"));
    std::vector<int> cycleMs;
    QString lastStatus;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      longestBlock = std::max(longestBlock, sinceTick.restart() - kTickMs);
      if (w.lblStatus->text() == lastStatus) return;
      lastStatus = w.lblStatus->text();
      if (const auto match = kCycleMs.match(lastStatus); match.hasMatch())
        cycleMs.push_back(match.captured(1).toInt());
    });
    const double cpuBefore = OwnCpuSeconds();
    const double serverBefore = bench_support::CpuSeconds(Server().pid());
    QElapsedTimer elapsed;
    elapsed.start();
    sinceTick.start();
    ticker.start(kTickMs);
    if (tags > 0) w.cmdStart->click();
    QEventLoop loop;
    QTimer::singleShot(Seconds() * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    if (tags > 0) w.cmdStart->click();
    ticker.stop();
    const double seconds = static_cast<double>(elapsed.elapsed()) / 1000.0;
    const double cpu = OwnCpuSeconds() - cpuBefore;
    const QString status = w.lblStatus->text();
    state.SetIterationTime(seconds);
    state.counters["client_cpu_pct_of_core"] = 100.0 * cpu / seconds;
    state.counters["client_cpu_ms_per_cycle"] = 1000.0 * cpu / seconds;  // at 1 Hz
    state.counters["longest_block_ms"] = static_cast<double>(longestBlock);
    std::sort(cycleMs.begin(), cycleMs.end());
    state.counters["cycle_ms_median"] = cycleMs.empty() ? 0 : cycleMs[cycleMs.size() / 2];
    state.counters["cycle_ms_max"] = cycleMs.empty() ? 0 : cycleMs.back();
    state.counters["server_cpu_pct_of_core"] =
        100.0 * (bench_support::CpuSeconds(Server().pid()) - serverBefore) / seconds;
    state.counters["record_MB_per_hour"] =
        static_cast<double>(QFileInfo(w.RecordingFile()).size()) / seconds * 3600.0 / 1e6;
    std::fprintf(stderr, "%d tags: %s\n", tags, status.toLocal8Bit().constData());
  }
}

}  // namespace

BENCHMARK(BM_WatchWindow)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(kMostTags)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
