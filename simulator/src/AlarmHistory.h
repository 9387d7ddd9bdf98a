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
  std::int64_t id = 0;  // in the order occurrences were recorded
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

  /// The occurrences that were on at some instant of [start, end], as recorded so far: a
  /// summary keeps to them while it is paged through, so its rows agree with its count.
  struct Period {
    Millis start = 0;
    Millis end = 0;
    std::int64_t lastId = 0;
  };
  Period Summary(Millis start, Millis end) const;
  std::uint64_t Count(const Period& period) const;
  /// Up to `count` occurrences of the period, oldest first (by the instant they came on):
  /// those after `after` when given, which costs no more for the last page than the first;
  /// otherwise those from index `offset`.
  std::vector<AlarmOccurrence> Page(const Period& period, const AlarmOccurrence* after,
                                    std::uint64_t offset, std::uint32_t count) const;
  /// Forgets occurrences that ended before `before`.
  void Prune(Millis before);

 private:
  const Project& project_;
  Database& db_;
};

}  // namespace znsim
