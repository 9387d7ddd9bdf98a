#pragma once
/// Each trend's samples, taken at the trend's own period and kept in SQLite for a retention
/// time. Instants the archive does not cover come from the simulation model, so a fresh
/// server answers a query over the last day at once.
#include <mutex>
#include <vector>

#include "Database.h"
#include "TagStore.h"
#include "TrendWindow.h"

namespace znsim {

class TrendArchive {
 public:
  TrendArchive(const TagStore& tags, Database& db);

  /// Archives every trend whose period boundary passed since the last call, stamped with
  /// that boundary; returns how many samples were stored.
  std::size_t Sample(Millis now);
  /// Forgets samples older than `before`.
  void Prune(Millis before);

  /// The trend's values at window indexes [offset, offset + n).
  std::vector<double> Values(std::size_t trend, const TrendWindow& window, std::int64_t offset,
                             std::int64_t n) const;

 private:
  const TagStore& tags_;
  const Project& project_;
  Database& db_;
  std::vector<std::size_t> tagOf_;
  std::vector<Millis> periodOf_;
  mutable std::mutex mutex_;
  std::vector<Millis> begin_;        // first archived sample; INT64_MAX while none
  std::vector<Millis> lastSampled_;  // the boundary sampled last
};

}  // namespace znsim
