#include "AlarmHistory.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace znsim {

AlarmHistory::AlarmHistory(const Project& project, Database& db) : project_(project), db_(db) {
  keys_.reserve(project.alarms.size());
  for (const auto& alarm : project.alarms) keys_.push_back(AlarmKey(alarm));
  auto lock = db_.Lock();
  db_.Exec(
      "CREATE TABLE IF NOT EXISTS alarm_occurrence("
      " id INTEGER PRIMARY KEY, alarm TEXT NOT NULL, tag TEXT NOT NULL,"
      " description TEXT NOT NULL, on_time INTEGER NOT NULL, off_time INTEGER,"
      " comment TEXT NOT NULL DEFAULT '');"
      "CREATE INDEX IF NOT EXISTS alarm_occurrence_on ON alarm_occurrence(on_time);"
      "CREATE INDEX IF NOT EXISTS alarm_occurrence_open ON alarm_occurrence(alarm)"
      " WHERE off_time IS NULL;");
}

void AlarmHistory::Record(const std::vector<AlarmTransition>& transitions) {
  if (transitions.empty()) return;
  auto lock = db_.Lock();
  Transaction transaction(db_);
  Statement open(db_.Handle(),
                 "INSERT INTO alarm_occurrence(alarm, tag, description, on_time, comment)"
                 " VALUES(?1, ?2, ?3, ?4, ?5)");
  Statement close(
      db_.Handle(),
      "UPDATE alarm_occurrence SET off_time = ?2 WHERE alarm = ?1 AND off_time IS NULL");
  for (const auto& t : transitions) {
    const AlarmDef& alarm = project_.alarms[t.alarm];
    const std::string& key = keys_[t.alarm];
    if (t.on) {
      open.Bind(1, key).Bind(2, alarm.tag).Bind(3, alarm.description).Bind(4, t.at);
      open.Bind(5, t.comment).Run();
    } else {
      close.Bind(1, key).Bind(2, t.at).Run();
    }
  }
  transaction.Commit();
}

std::vector<ActiveAlarm> AlarmHistory::Open() const {
  std::unordered_map<std::string, std::size_t> byKey;
  for (std::size_t i = 0; i < project_.alarms.size(); ++i) {
    byKey.emplace(AlarmKey(project_.alarms[i]), i);
  }
  std::vector<ActiveAlarm> open;
  auto lock = db_.Lock();
  Statement select(db_.Handle(),
                   "SELECT alarm, on_time, comment FROM alarm_occurrence WHERE off_time IS NULL");
  while (select.Step()) {
    const auto it = byKey.find(select.Text(0));
    if (it != byKey.end()) open.push_back({it->second, select.Int(1), select.Text(2)});
  }
  return open;
}

void AlarmHistory::CloseUnknown(Millis at) {
  const std::unordered_set<std::string> known(keys_.begin(), keys_.end());
  auto lock = db_.Lock();
  std::vector<std::int64_t> orphans;
  {
    Statement select(db_.Handle(), "SELECT id, alarm FROM alarm_occurrence WHERE off_time IS NULL");
    while (select.Step()) {
      if (!known.contains(select.Text(1))) orphans.push_back(select.Int(0));
    }
  }
  if (orphans.empty()) return;
  Transaction transaction(db_);
  Statement close(db_.Handle(), "UPDATE alarm_occurrence SET off_time = ?2 WHERE id = ?1");
  for (const auto id : orphans) close.Bind(1, id).Bind(2, at).Run();
  transaction.Commit();
}

bool AlarmHistory::Empty() const {
  auto lock = db_.Lock();
  Statement select(db_.Handle(), "SELECT EXISTS(SELECT 1 FROM alarm_occurrence)");
  return !select.Step() || select.Int(0) == 0;
}

namespace {

constexpr const char* kInPeriod =
    " FROM alarm_occurrence WHERE on_time <= ?2 AND (off_time IS NULL OR off_time >= ?1)"
    " AND id <= ?3";

}  // namespace

AlarmHistory::Period AlarmHistory::Summary(Millis start, Millis end) const {
  auto lock = db_.Lock();
  Statement last(db_.Handle(), "SELECT coalesce(max(id), 0) FROM alarm_occurrence");
  last.Step();
  return {start, end, last.Int(0)};
}

std::uint64_t AlarmHistory::Count(const Period& period) const {
  auto lock = db_.Lock();
  Statement count(db_.Handle(), std::string("SELECT count(*)") + kInPeriod);
  count.Bind(1, period.start).Bind(2, period.end).Bind(3, period.lastId);
  count.Step();
  return static_cast<std::uint64_t>(count.Int(0));
}

std::vector<AlarmOccurrence> AlarmHistory::Page(const Period& period, const AlarmOccurrence* after,
                                                std::uint64_t offset, std::uint32_t count) const {
  std::vector<AlarmOccurrence> rows;
  auto lock = db_.Lock();
  Statement select(db_.Handle(),
                   std::string("SELECT id, tag, description, on_time, off_time, comment") +
                       kInPeriod +
                       (after ? " AND (on_time, id) > (?4, ?5) ORDER BY on_time, id LIMIT ?6"
                              : " ORDER BY on_time, id LIMIT ?6 OFFSET ?4"));
  select.Bind(1, period.start)
      .Bind(2, period.end)
      .Bind(3, period.lastId)
      .Bind(6, std::int64_t{count});
  if (after) {
    select.Bind(4, after->on).Bind(5, after->id);
  } else {
    select.Bind(4, static_cast<std::int64_t>(std::min<std::uint64_t>(offset, INT64_MAX)));
  }
  while (select.Step()) {
    AlarmOccurrence row{select.Int(0), select.Text(1), select.Text(2),
                        select.Int(3), std::nullopt,   select.Text(5)};
    if (!select.IsNull(4)) row.off = select.Int(4);
    rows.push_back(std::move(row));
  }
  return rows;
}

void AlarmHistory::Prune(Millis before) {
  auto lock = db_.Lock();
  Statement prune(db_.Handle(),
                  "DELETE FROM alarm_occurrence WHERE off_time IS NOT NULL AND off_time < ?1");
  prune.Bind(1, before).Run();
}

}  // namespace znsim
