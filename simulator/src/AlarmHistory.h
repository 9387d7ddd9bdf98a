#pragma once
/// Every alarm occurrence (on and off instants, tag, description, comment) in SQLite, for
/// the alarm summary. Survives restarts and crashes; pruned by age.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "AlarmEngine.h"
#include "Database.h"

namespace znsim {

struct AlarmOccurrence {
  std::string tag;
  std::string description;
  Millis on = 0;
  std::optional<Millis> off;  // empty while the alarm is still on
  std::string comment;
};

class AlarmHistory {
 public:
  AlarmHistory(const Project& project, Database& db);

  /// Stores transitions in one transaction: an on opens an occurrence, an off closes it.
  void Record(const std::vector<AlarmTransition>& transitions);
  /// Occurrences still open, for AlarmEngine::Restore (alarm index, since, comment).
  std::vector<ActiveAlarm> Open() const;
  /// Ends, at `at`, occurrences left open by alarms the project no longer has; otherwise
  /// they would read as on for ever.
  void CloseUnknown(Millis at);
  /// True when nothing was ever recorded (a first start).
  bool Empty() const;

  /// Occurrences that were on at some instant of [start, end], oldest first. Fails (nullopt)
  /// rather than building more than `limit` rows.
  std::optional<std::vector<AlarmOccurrence>> Summary(Millis start, Millis end,
                                                      std::uint64_t limit) const;
  /// Forgets occurrences that ended before `before`.
  void Prune(Millis before);

 private:
  const Project& project_;
  Database& db_;
  std::vector<std::string> keys_;  // AlarmKey of each alarm
};

}  // namespace znsim
