#include "Plant.h"

#include <spdlog/spdlog.h>

#include <algorithm>

namespace znsim {

namespace {
constexpr Millis kPruneEvery = 10 * 60 * 1000;
constexpr Millis kSeedStep = 10 * 1000;
constexpr Millis kSeedBudget = 1'000'000;  // alarm evaluations for the whole replay
constexpr Millis kSeedAlarmMillis = 2000LL * 60 * 60 * 1000;  // 2,000 alarms over an hour
}  // namespace

Plant::Plant(Project project, const std::filesystem::path& dataDir, PlantSettings settings)
    : project_(std::move(project)),
      settings_(std::move(settings)),
      lock_(dataDir),
      db_(dataDir / "znsim.db"),
      tags_(project_, db_),
      alarms_(project_),
      history_(project_, db_),
      trends_(tags_, db_) {
  const Millis now = NowMillis();
  if (history_.Empty()) {
    SeedHistory(now);
  } else {
    history_.CloseUnknown(now);
    for (auto& open : history_.Open()) alarms_.Restore(open.alarm, open.since, open.comment);
  }
  Prune(now);
}

void Plant::SeedHistory(Millis now) {
  // Large generated projects replay a shorter span in coarser steps, so start-up stays
  // quick; alarms still on at the end of the replay reach into every later period anyway.
  const auto alarmCount = std::max<Millis>(1, static_cast<Millis>(project_.alarms.size()));
  const Millis wanted =
      std::chrono::duration_cast<std::chrono::milliseconds>(settings_.seedHistory).count();
  const Millis span = std::min(wanted, kSeedAlarmMillis / alarmCount);
  if (span <= 0) return;
  const Millis step = std::max(kSeedStep, span * alarmCount / kSeedBudget / 1000 * 1000);
  std::vector<AlarmTransition> all;
  for (Millis t = (now - span) / step * step; t < now; t += step) {
    auto found =
        alarms_.Evaluate(t, [&](std::size_t tag) { return ModelNumber(project_.tags[tag], t); });
    all.insert(all.end(), std::make_move_iterator(found.begin()),
               std::make_move_iterator(found.end()));
  }
  // The seed is made up and made again if lost, so it need not wait for the disk.
  {
    auto lock = db_.Lock();
    db_.Exec("PRAGMA synchronous=OFF");
  }
  history_.Record(all);
  {
    auto lock = db_.Lock();
    db_.Exec("PRAGMA synchronous=FULL");
  }
  spdlog::info("seeded the alarm history with {} transitions over the last {} s", all.size(),
               span / 1000);
}

void Plant::Tick(Millis now) {
  history_.Record(alarms_.EvaluateDue(now, tags_, tags_.TakeWritten()));
  trends_.Sample(now);
  if (now - lastPrune_ >= kPruneEvery) Prune(now);
}

void Plant::Prune(Millis now) {
  using std::chrono::milliseconds;
  history_.Prune(now - std::chrono::duration_cast<milliseconds>(settings_.alarmRetention).count());
  trends_.Prune(now - std::chrono::duration_cast<milliseconds>(settings_.trendRetention).count());
  lastPrune_ = now;
}

}  // namespace znsim
