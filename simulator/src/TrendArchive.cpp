#include "TrendArchive.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace znsim {

namespace {
constexpr Millis kNone = std::numeric_limits<Millis>::max();
}

TrendArchive::TrendArchive(const TagStore& tags, Database& db)
    : tags_(tags), project_(tags.project()), db_(db) {
  const auto n = project_.trends.size();
  begin_.assign(n, kNone);
  lastSampled_.assign(n, std::numeric_limits<Millis>::min());
  std::unordered_map<std::string, std::size_t> byName;
  for (std::size_t i = 0; i < n; ++i) {
    const TrendDef& trend = project_.trends[i];
    tagOf_.push_back(project_.TagIndex(trend.tag));
    periodOf_.push_back(std::max<Millis>(100, std::llround(trend.period * 1000)));
    byName.emplace(trend.name, i);
  }
  auto lock = db_.Lock();
  db_.Exec(
      "CREATE TABLE IF NOT EXISTS trend_sample(trend TEXT NOT NULL, t INTEGER NOT NULL,"
      " value REAL NOT NULL, PRIMARY KEY(trend, t)) WITHOUT ROWID");
  Statement select(db_.Handle(), "SELECT trend, MIN(t), MAX(t) FROM trend_sample GROUP BY trend");
  while (select.Step()) {
    const auto it = byName.find(select.Text(0));
    if (it == byName.end()) continue;
    begin_[it->second] = select.Int(1);
    lastSampled_[it->second] = select.Int(2);
  }
}

std::size_t TrendArchive::Sample(Millis now) {
  struct Due {
    std::size_t trend;
    Millis at;
    double value;
  };
  std::vector<Due> due;
  {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < periodOf_.size(); ++i) {
      const Millis boundary = now / periodOf_[i] * periodOf_[i];
      if (boundary <= lastSampled_[i]) continue;
      due.push_back({i, boundary, tags_.Number(tagOf_[i], now)});
    }
  }
  if (due.empty()) return 0;
  {
    auto lock = db_.Lock();
    Transaction transaction(db_);
    Statement insert(db_.Handle(),
                     "INSERT OR REPLACE INTO trend_sample(trend, t, value) VALUES(?1, ?2, ?3)");
    for (const auto& d : due) {
      insert.Bind(1, project_.trends[d.trend].name).Bind(2, d.at).Bind(3, d.value).Run();
    }
    transaction.Commit();
  }
  std::lock_guard lock(mutex_);
  for (const auto& d : due) {
    lastSampled_[d.trend] = std::max(lastSampled_[d.trend], d.at);
    begin_[d.trend] = std::min(begin_[d.trend], d.at);
  }
  return due.size();
}

void TrendArchive::Prune(Millis before) {
  {
    auto lock = db_.Lock();
    Statement prune(db_.Handle(), "DELETE FROM trend_sample WHERE t < ?1");
    prune.Bind(1, before).Run();
  }
  std::lock_guard lock(mutex_);
  for (auto& begin : begin_) {
    if (begin != kNone && begin < before) begin = before;
  }
}

std::vector<double> TrendArchive::Values(std::size_t trend, const TrendWindow& window,
                                         std::int64_t offset, std::int64_t n) const {
  std::vector<double> values;
  if (n <= 0) return values;
  values.reserve(static_cast<std::size_t>(n));
  const Millis first = window.TimeOf(offset);
  const Millis last = window.TimeOf(offset + n - 1);
  const Millis period = periodOf_[trend];
  Millis begin = 0;
  {
    std::lock_guard lock(mutex_);
    begin = begin_[trend];
  }
  // Archived samples from one period before the first instant: each instant takes the
  // latest sample at or before it, if that sample is recent enough to stand for it.
  std::vector<std::pair<Millis, double>> archived;
  if (begin != kNone && last >= begin) {
    auto lock = db_.Lock();
    Statement select(db_.Handle(),
                     "SELECT t, value FROM trend_sample WHERE trend = ?1 AND t BETWEEN ?2 AND ?3"
                     " ORDER BY t");
    select.Bind(1, project_.trends[trend].name).Bind(2, first - 2 * period).Bind(3, last);
    while (select.Step()) archived.emplace_back(select.Int(0), select.Real(1));
  }
  const TagDef& tag = project_.tags[tagOf_[trend]];
  std::size_t next = 0;
  for (std::int64_t i = 0; i < n; ++i) {
    const Millis t = window.TimeOf(offset + i);
    while (next < archived.size() && archived[next].first <= t) ++next;
    if (next > 0 && t - archived[next - 1].first < 2 * period) {
      values.push_back(archived[next - 1].second);
    } else {
      values.push_back(ModelNumber(tag, t));
    }
  }
  return values;
}

}  // namespace znsim
