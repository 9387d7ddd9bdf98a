#include "AlarmHistory.h"

#include <algorithm>

namespace znsim {

namespace {

// The alarms of a project found by their keys (AlarmKey), without a copy of each key: the
// alarms' positions sorted by tag and condition, searched by halves.
class KeyedAlarms {
 public:
  explicit KeyedAlarms(const Project& project) : project_(project) {
    order_.resize(project.alarms.size());
    for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<std::uint32_t>(i);
    std::sort(order_.begin(), order_.end(), [this](std::uint32_t a, std::uint32_t b) {
      return Key(project_.alarms[a]) < Key(project_.alarms[b]);
    });
  }
  /// The position of the alarm with `key`, npos when the project has none.
  std::size_t Find(std::string_view key) const {
    const auto bar = key.rfind('|');
    if (bar == std::string_view::npos) return Project::npos;
    const std::pair<std::string_view, std::string_view> wanted{key.substr(0, bar),
                                                               key.substr(bar + 1)};
    const auto it = std::lower_bound(
        order_.begin(), order_.end(), wanted,
        [this](std::uint32_t a, const auto& k) { return Key(project_.alarms[a]) < k; });
    if (it == order_.end() || Key(project_.alarms[*it]) != wanted) return Project::npos;
    return *it;
  }

 private:
  static std::pair<std::string_view, std::string_view> Key(const AlarmDef& alarm) {
    return {alarm.tag(), AlarmConditionName(alarm.condition)};
  }
  const Project& project_;
  std::vector<std::uint32_t> order_;
};

}  // namespace

AlarmHistory::AlarmHistory(const Project& project, Database& db) : project_(project), db_(db) {
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
  std::string key;  // kept across rows, so that it is allocated once
  for (const auto& t : transitions) {
    const AlarmDef& alarm = project_.alarms[t.alarm];
    AlarmKey(alarm, key);
    if (t.on) {
      open.BindKept(1, key).BindKept(2, alarm.tag()).BindKept(3, alarm.description());
      open.Bind(4, t.at).BindKept(5, t.comment).Run();
    } else {
      close.BindKept(1, key).Bind(2, t.at).Run();
    }
  }
  transaction.Commit();
}

std::vector<ActiveAlarm> AlarmHistory::Open() const {
  const KeyedAlarms alarms(project_);
  std::vector<ActiveAlarm> open;
  auto lock = db_.Lock();
  Statement select(db_.Handle(),
                   "SELECT alarm, on_time, comment FROM alarm_occurrence WHERE off_time IS NULL");
  while (select.Step()) {
    const std::size_t alarm = alarms.Find(select.Text(0));
    if (alarm != Project::npos) open.push_back({alarm, select.Int(1), select.Text(2)});
  }
  return open;
}

void AlarmHistory::CloseUnknown(Millis at) {
  const KeyedAlarms known(project_);
  auto lock = db_.Lock();
  std::vector<std::int64_t> orphans;
  {
    Statement select(db_.Handle(), "SELECT id, alarm FROM alarm_occurrence WHERE off_time IS NULL");
    while (select.Step()) {
      if (known.Find(select.Text(1)) == Project::npos) orphans.push_back(select.Int(0));
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
