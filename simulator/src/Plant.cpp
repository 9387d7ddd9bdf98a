#include "Plant.h"

#include <spdlog/spdlog.h>

#include <algorithm>

namespace znsim {

namespace {
constexpr Millis kPruneEvery = 10 * 60 * 1000;
constexpr Millis kSeedStep = 10 * 1000;
constexpr Millis kSeedBudget = 1'000'000;  // alarm evaluations for the whole replay
constexpr Millis kSeedAlarmMillis = 2000LL * 60 * 60 * 1000;  // 2,000 alarms over an hour
constexpr std::size_t kSeedSlice = 16384;  // alarms evaluated, transitions recorded at once
}  // namespace

Plant::Plant(Project project, const std::filesystem::path& dataDir, PlantSettings settings)
    : project_(std::move(project)),
      settings_(std::move(settings)),
      lock_(dataDir),
      db_(dataDir / "znsim.db"),
      tags_(project_, db_, settings_.name, settings_.changeLogKeep),
      alarms_(project_),
      history_(project_, db_),
      trends_(tags_, db_) {
  const Millis now = NowMillis();
  const bool firstStart = history_.Empty();
  if (!firstStart) {
    history_.CloseUnknown(now);
    for (auto& open : history_.Open()) alarms_.Restore(open.alarm, open.since, open.comment);
  }
  Prune(now);
  if (!firstStart) {
    seeded_.count_down();
    return;
  }
  seeder_ = std::jthread([this, now](std::stop_token stop) {
    try {
      SeedHistory(now, stop);
    } catch (const std::exception& e) {
      // The history then starts empty; serving goes on.
      spdlog::error("seeding the alarm history failed: {}", e.what());
    }
    seeded_.count_down();
  });
}

void Plant::SeedHistory(Millis now, std::stop_token stop) {
  // Large generated projects replay a shorter span in coarser steps, so start-up stays
  // quick; alarms still on at the end of the replay reach into every later period anyway.
  const std::size_t alarms = project_.alarms.size();
  const auto alarmCount = std::max<Millis>(1, static_cast<Millis>(alarms));
  const Millis wanted =
      std::chrono::duration_cast<std::chrono::milliseconds>(settings_.seedHistory).count();
  const Millis span = std::min(wanted, kSeedAlarmMillis / alarmCount);
  if (span <= 0) return;
  const Millis step = std::max(kSeedStep, span * alarmCount / kSeedBudget / 1000 * 1000);
  // Recorded a batch at a time: a million alarms may switch at one step, and holding all
  // their transitions at once would set the process's peak memory.
  std::vector<AlarmTransition> batch;
  std::size_t recorded = 0;
  const auto record = [&] {
    history_.Record(batch);
    recorded += batch.size();
    batch.clear();
  };
  for (Millis t = (now - span) / step * step; t < now; t += step) {
    for (std::size_t first = 0; first < alarms && !stop.stop_requested(); first += kSeedSlice) {
      auto found = alarms_.Evaluate(t, tags_, first, first + kSeedSlice);
      batch.insert(batch.end(), std::make_move_iterator(found.begin()),
                   std::make_move_iterator(found.end()));
      if (batch.size() >= kSeedSlice) record();
    }
  }
  record();
  spdlog::info("seeded the alarm history with {} transitions over the last {} s", recorded,
               span / 1000);
}

void Plant::Tick(Millis now) {
  seeded_.wait();
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
