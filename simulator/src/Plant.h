#pragma once
/// The running plant: project, live values, alarms and trends over one SQLite file, moved
/// forward by Tick() once a second.
#include <chrono>
#include <filesystem>
#include <latch>
#include <stop_token>
#include <string>
#include <thread>

#include "AlarmEngine.h"
#include "AlarmHistory.h"
#include "DataFolderLock.h"
#include "Database.h"
#include "Project.h"
#include "TagStore.h"
#include "TrendArchive.h"

namespace znsim {

struct PlantSettings {
  std::string name = "znsim";
  std::chrono::hours trendRetention{48};
  std::chrono::hours alarmRetention{24 * 31};
  /// At a first start the alarm history is filled from the model over this span, so the
  /// summary of the last minutes has rows at once.
  std::chrono::minutes seedHistory{60};
  /// Writes kept in the replica log for a peer to catch up from.
  std::uint64_t changeLogKeep = 100'000;
};

class Plant {
 public:
  /// Locks `dataDir` (creating it) for this process, opens its znsim.db, restores written
  /// values and open alarms, and at a first start begins seeding the alarm history. Throws
  /// naming the folder or file when that fails.
  Plant(Project project, const std::filesystem::path& dataDir, PlantSettings settings);

  /// Evaluates alarms, archives due trend samples, and now and then prunes old history.
  void Tick(Millis now);

  const Project& project() const { return project_; }
  const PlantSettings& settings() const { return settings_; }
  TagStore& tags() { return tags_; }
  // A million alarms take a second to seed: the plant serves tags meanwhile, and only the
  // readers of its alarms wait for the seed.
  const AlarmEngine& alarms() const {
    seeded_.wait();
    return alarms_;
  }
  const AlarmHistory& history() const {
    seeded_.wait();
    return history_;
  }
  const TrendArchive& trends() const { return trends_; }

 private:
  void SeedHistory(Millis now, std::stop_token stop);
  void Prune(Millis now);

  Project project_;
  PlantSettings settings_;
  DataFolderLock lock_;
  Database db_;
  TagStore tags_;
  AlarmEngine alarms_;
  AlarmHistory history_;
  TrendArchive trends_;
  Millis lastPrune_ = 0;
  std::latch seeded_{1};
  // Last: stopped and joined first, while everything the seed uses still exists.
  std::jthread seeder_;
};

}  // namespace znsim
