// What the call log costs the user.
// BM_LoadTagsLogOnVsOff: Load Tags of the main window (offscreen, real library, a znsim with
// 32,767 generated tags, alarms and trends, so 3 x 32,767 names), alternating recording off
// and on in every iteration so that both see the same machine load. Counters: ms per load off
// and on, and their ratio (goal <= 1.10).
// BM_LogWindowScroll: the Call Log window holding 200,000 calls (the ring full), from Ctrl+End
// until the end is painted and from Ctrl+Home until the start is painted; beside it the same
// window holding one screenful. Counters: ms per scroll to the end and back (goal <= 50).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <chrono>
#include <functional>
#include <memory>

#include "CallLog.h"
#include "CallLogModel.h"
#include "DynamicZnApi.h"
#include "QtHost.h"
#include "RecordingZnApi.h"
#include "Widgets.h"
#include "ZnsimProcess.h"
#include "basZNAPI.h"
#include "frmCallLog.h"
#include "frmTestConnection.h"

namespace {

using Clock = std::chrono::steady_clock;
using testing_support::ZnsimProcess;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void BM_LoadTagsLogOnVsOff(benchmark::State& state) {
  static ZnsimProcess sim({"--generate-tags", "32767", "--generate-trends", "32767",
                           "--seed-history", "0", "--log-level", "warn"});
  binding::DynamicZnApi library;
  binding::CallLog log;
  binding::RecordingZnApi recorded(library, log);
  binding::basZNAPI module(recorded);
  ui::QtHost host;
  frmTestConnection w(module, host);
  w.show();
  w.txtComputer[0]->setText(QString::fromStdString(sim.address()));
  w.cmdTestConnection->click();

  const auto load = [&](bool recording) {
    log.SetRecording(recording);
    const auto start = Clock::now();
    w.cmdLoadZontraSchema->click();
    return Clock::now() - start;
  };
  load(true);  // the first load warms the server's pages and fills the ring
  Clock::duration off{}, on{};
  std::int64_t names = 0;
  for (auto _ : state) {
    off += load(false);
    on += load(true);
    for (QComboBox* box : w.cboTagNames) names += box->count();
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["names"] = static_cast<double>(names) / n;
  state.counters["off_ms"] = Ms(off) / n;
  state.counters["on_ms"] = Ms(on) / n;
  state.counters["on_over_off"] = Ms(on) / Ms(off);
  state.counters["calls_kept"] = static_cast<double>(log.size());
}
BENCHMARK(BM_LoadTagsLogOnVsOff)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

/// Counts the paints of a widget.
class PaintCount : public QObject {
 public:
  explicit PaintCount(QWidget* w) { w->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

/// Sends a key to the table and waits until the table has painted the result.
Clock::duration KeyUntilPainted(QTableView* table, PaintCount& count, Qt::Key key) {
  const auto start = Clock::now();
  const int before = count.paints;
  QTest::keyClick(table, key, Qt::ControlModifier);
  while (count.paints == before) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return Clock::now() - start;
}

// A log full of the calls a Load Tags leaves: a property read and a move to the next record
// per name, the last move of each list failing.
void Fill(binding::CallLog& log, std::size_t calls) {
  for (std::size_t i = 0; i < calls; ++i) {
    binding::CallRecord& record = log.Append();
    record.startMs = 1'700'000'000'000 + static_cast<std::int64_t>(i);
    record.durationUs = 3;
    const bool property = i % 2 == 0;
    record.op = property ? binding::ZnOp::znGetProperty : binding::ZnOp::znFindNext;
    record.numbers = {static_cast<std::int32_t>(i + 2), 32, 129};
    record.texts[0] = property ? "Name" : "";
    record.result = i % 65534 == 65533 ? 0 : 1;
    record.returned = property ? "Generated_Tag_" + std::to_string(i / 2) : "record 7";
    record.reason = record.result == 0 ? "no more records" : "";
  }
}

void BM_LogWindowScroll(benchmark::State& state) {
  binding::CallLog log;
  Fill(log, static_cast<std::size_t>(state.range(0)));
  ui::QtHost host;
  calllog::frmCallLog w(log, host);
  w.show();
  if (!QTest::qWaitForWindowExposed(&w)) {
    state.SkipWithError("the window was never shown");
    return;
  }
  w.grdCalls->setFocus();
  PaintCount count(w.grdCalls->viewport());
  double toEnd = 0, toStart = 0, slowest = 0;
  for (auto _ : state) {
    const double end = Ms(KeyUntilPainted(w.grdCalls, count, Qt::Key_End));
    const double start = Ms(KeyUntilPainted(w.grdCalls, count, Qt::Key_Home));
    toEnd += end;
    toStart += start;
    slowest = std::max({slowest, end, start});
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["rows"] = w.model->rowCount();
  state.counters["to_end_ms"] = toEnd / n;
  state.counters["back_ms"] = toStart / n;
  state.counters["slowest_ms"] = slowest;
}
BENCHMARK(BM_LogWindowScroll)->Arg(40)->Arg(200'000)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
