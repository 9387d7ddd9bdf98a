#include "TagStore.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <utility>

namespace znsim {

namespace {

// Called for every model value, so the scales are looked up rather than computed.
double Round(double value, int decimals) {
  static constexpr double kScale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  const double scale = kScale[std::clamp(decimals, 0, 9)];
  return std::round(value * scale) / scale;
}

}  // namespace

double ModelNumber(const TagDef& tag, Millis t) {
  const double raw = Evaluate(tag.sim, static_cast<double>(t) / 1000.0);
  switch (tag.type) {
    case TagType::Digital:
      return raw >= 0.5 ? 1 : 0;
    case TagType::Integer:
      return std::round(raw);
    case TagType::Real:
      return Round(raw, tag.decimals);
    case TagType::String:
      return 0;
  }
  return 0;
}

std::string ModelText(const TagDef& tag, Millis t) {
  if (tag.type != TagType::String) return FormatNumber(ModelNumber(tag, t));
  if (tag.texts.empty()) return {};
  const double raw = Evaluate(tag.sim, static_cast<double>(t) / 1000.0);
  const auto n = static_cast<long long>(tag.texts.size());
  long long index = static_cast<long long>(std::floor(raw)) % n;
  if (index < 0) index += n;
  return tag.texts[static_cast<std::size_t>(index)];
}

namespace {

double NumberOf(const TagDef& tag, const std::string& text) {
  return tag.type == TagType::String ? 0 : NumericValue(text).value_or(0);
}

// "5 (written at 12:00:01.234 on 'primary')", for the log of a conflict.
std::string Described(const std::string& value, const WriteStamp& stamp) {
  return value + " (written at " + FormatTime(stamp.at / 1000, true) + " on '" + stamp.origin +
         "')";
}

}  // namespace

TagStore::TagStore(const Project& project, Database& db, std::string name, std::uint64_t logKeep)
    : project_(project),
      db_(db),
      name_(std::move(name)),
      log_(db, logKeep),
      isWritten_(std::make_unique<std::atomic<bool>[]>(project.tags.size())) {
  auto lock = db_.Lock();
  db_.Exec(
      "CREATE TABLE IF NOT EXISTS written_value(tag TEXT PRIMARY KEY, value TEXT NOT NULL,"
      " at INTEGER NOT NULL DEFAULT 0, origin TEXT NOT NULL DEFAULT '')");
  bool stamped = false;
  {
    Statement column(db_.Handle(),
                     "SELECT 1 FROM pragma_table_info('written_value') WHERE name = 'at'");
    stamped = column.Step();
  }
  // A file from before stamps: its values count as older than any write stamped since.
  if (!stamped) {
    db_.Exec(
        "ALTER TABLE written_value ADD COLUMN at INTEGER NOT NULL DEFAULT 0;"
        "ALTER TABLE written_value ADD COLUMN origin TEXT NOT NULL DEFAULT ''");
  }
  Statement select(db_.Handle(), "SELECT tag, value, at, origin FROM written_value");
  while (select.Step()) {
    const WriteStamp stamp{select.Int(2), select.Text(3)};
    clock_ = std::max(clock_, stamp.at);
    const std::size_t index = project_.TagIndex(select.Text(0));
    if (index == Project::npos) continue;
    // A project edited since the write may have changed the type; keep only what still fits.
    auto value = CanonicalValue(project_.tags[index].type, select.Text(1));
    if (!value) continue;
    const double number = NumberOf(project_.tags[index], *value);
    written_[index] = {std::move(*value), number, stamp};
    isWritten_[index] = true;
  }
}

std::optional<std::string> TagStore::Read(std::string_view name, Millis now) const {
  const std::size_t index = project_.TagIndex(name);
  if (index == Project::npos) return std::nullopt;
  return Text(index, now);
}

const TagStore::Written& TagStore::WrittenValue(std::size_t index) const {
  return written_.find(index)->second;
}

std::string TagStore::Text(std::size_t index, Millis now) const {
  if (isWritten_[index].load(std::memory_order_acquire)) {
    std::shared_lock lock(mutex_);
    return WrittenValue(index).text;
  }
  return ModelText(project_.tags[index], now);
}

double TagStore::Number(std::size_t index, Millis now) const {
  if (isWritten_[index].load(std::memory_order_acquire)) {
    std::shared_lock lock(mutex_);
    return WrittenValue(index).number;
  }
  return ModelNumber(project_.tags[index], now);
}

double TagStore::SteadySeconds(std::size_t index, Millis now, double margin) const {
  if (isWritten_[index].load(std::memory_order_acquire)) {
    return std::numeric_limits<double>::infinity();
  }
  const TagDef& tag = project_.tags[index];
  const double seconds = static_cast<double>(now) / 1000.0;
  switch (tag.type) {
    case TagType::Real: {
      // Rounding moves the shown value by up to one step besides the model's own motion.
      static constexpr double kStep[] = {1, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8, 1e-9};
      return SteadyFor(tag.sim, seconds, margin - kStep[std::min<int>(tag.decimals, 9)]);
    }
    case TagType::Integer:
      return SteadyFor(tag.sim, seconds, margin - 1);
    case TagType::Digital:
      // 0 or 1: it moves only when the model crosses one half.
      if (margin > 1) return std::numeric_limits<double>::infinity();
      return SteadyFor(tag.sim, seconds, std::fabs(Evaluate(tag.sim, seconds) - 0.5));
    case TagType::String:
      break;
  }
  return std::numeric_limits<double>::infinity();
}

std::vector<std::size_t> TagStore::TakeWritten() {
  std::unique_lock lock(mutex_);
  return std::exchange(writtenSince_, {});
}

TagStore::WriteStatus TagStore::Prepare(std::string_view name, const std::string& text,
                                        Change& change) const {
  const std::size_t index = project_.TagIndex(name);
  if (index == Project::npos) return WriteStatus::UnknownTag;
  auto value = CanonicalValue(project_.tags[index].type, text);
  if (!value) return WriteStatus::BadValue;
  change = {index, std::move(*value)};
  return WriteStatus::Written;
}

std::string TagStore::Refusal(const std::string& name, const std::string& text) const {
  const std::size_t index = project_.TagIndex(name);
  if (index == Project::npos) return "unknown tag '" + name + "'";
  const TagType type = project_.tags[index].type;
  return ValueRefusal(type, text) + " (tag " + name + " is " + TagTypeName(type) + ")";
}

TagStore::WriteResult TagStore::Write(std::string_view name, const std::string& text) {
  Change change;
  const WriteStatus status = Prepare(name, text, change);
  if (status != WriteStatus::Written) return {status, {}};
  Commit({change});
  return {status, std::move(change.value)};
}

void TagStore::Commit(const std::vector<Change>& changes) {
  if (changes.empty()) return;
  Waiting mine{&changes, false, nullptr};
  std::unique_lock lock(queueMutex_);
  queue_.push_back(&mine);
  committed_.wait(lock, [&] { return mine.done || !committing_; });
  if (!mine.done) {
    // No commit is under way: this writer takes everyone waiting to disk.
    committing_ = true;
    const std::vector<Waiting*> batch = std::exchange(queue_, {});
    lock.unlock();
    std::vector<const std::vector<Change>*> all;
    for (const Waiting* waiting : batch) all.push_back(waiting->changes);
    std::exception_ptr error;
    try {
      CommitTogether(all);
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    for (Waiting* waiting : batch) {
      waiting->done = true;
      waiting->error = error;
    }
    committing_ = false;
    committed_.notify_all();
  }
  if (mine.error) std::rethrow_exception(mine.error);
}

void TagStore::CommitTogether(const std::vector<const std::vector<Change>*>& batch) {
  std::lock_guard order(writeMutex_);
  std::vector<std::pair<std::size_t, Written>> values;
  std::vector<ReplicaLog::Entry> log;
  for (const auto* changes : batch) {
    for (const auto& change : *changes) {
      // Later than every value held or seen here, even one from a peer whose clock runs ahead:
      // a write made after another is never taken for the older one.
      clock_ = std::max(NowMicros(), clock_ + 1);
      const WriteStamp stamp{clock_, name_};
      const TagDef& tag = project_.tags[change.tag];
      values.emplace_back(change.tag, Written{change.value, NumberOf(tag, change.value), stamp});
      log.push_back({0, std::string(tag.name()), change.value, stamp});
    }
  }
  Store(values, log, std::nullopt);
  if (listener_) listener_(log_.latest());
}

TagStore::Applied TagStore::ApplyRemote(const std::vector<Stamped>& changes,
                                        const std::optional<ReplicaLog::Cursor>& cursor) {
  std::lock_guard order(writeMutex_);
  Applied outcome;
  std::vector<std::pair<std::size_t, Written>> values;
  std::unordered_map<std::size_t, std::size_t> staged;  // tag index -> place in values
  for (const auto& change : changes) {
    clock_ = std::max(clock_, change.stamp.at);
    const std::size_t index = project_.TagIndex(change.tag);
    std::optional<std::string> value;
    if (index != Project::npos) value = CanonicalValue(project_.tags[index].type, change.value);
    if (!value) {
      ++outcome.unknown;
      continue;
    }
    const auto place = staged.find(index);
    Written held;
    if (place != staged.end()) {
      held = values[place->second].second;
    } else if (isWritten_[index].load(std::memory_order_acquire)) {
      std::shared_lock lock(mutex_);
      held = WrittenValue(index);
    }
    if (!Supersedes(change.stamp, held.stamp)) {
      // The same write again is no conflict: a full copy brings back what was applied.
      if (!(change.stamp == held.stamp)) {
        outcome.conflicts.push_back(change.tag + ": kept " + Described(held.text, held.stamp) +
                                    " over " + Described(*value, change.stamp));
      }
      continue;
    }
    Written written{*value, NumberOf(project_.tags[index], *value), change.stamp};
    if (place != staged.end()) {
      values[place->second].second = std::move(written);
    } else {
      staged.emplace(index, values.size());
      values.emplace_back(index, std::move(written));
      ++outcome.applied;
    }
  }
  std::vector<ReplicaLog::Entry> none;
  if (!values.empty() || cursor) Store(values, none, cursor);
  return outcome;
}

void TagStore::Store(std::vector<std::pair<std::size_t, Written>>& values,
                     std::vector<ReplicaLog::Entry>& log,
                     const std::optional<ReplicaLog::Cursor>& cursor) {
  {
    auto lock = db_.Lock();
    try {
      Transaction transaction(db_);
      Statement upsert(db_.Handle(),
                       "INSERT INTO written_value(tag, value, at, origin) VALUES(?1, ?2, ?3, ?4) "
                       "ON CONFLICT(tag) DO UPDATE SET value = excluded.value, at = excluded.at,"
                       " origin = excluded.origin");
      for (const auto& [index, written] : values) {
        upsert.Bind(1, project_.tags[index].name())
            .BindKept(2, written.text)
            .Bind(3, written.stamp.at)
            .BindKept(4, written.stamp.origin)
            .Run();
      }
      log_.Append(log);
      if (cursor) log_.SaveCursor(*cursor);
      transaction.Commit();
    } catch (...) {
      log_.RolledBack();
      throw;
    }
    log_.Committed();
  }
  std::unique_lock lock(mutex_);
  for (auto& [index, written] : values) {
    written_[index] = std::move(written);
    isWritten_[index].store(true, std::memory_order_release);
    if (std::find(writtenSince_.begin(), writtenSince_.end(), index) == writtenSince_.end()) {
      writtenSince_.push_back(index);
    }
  }
}

std::vector<TagStore::Stamped> TagStore::WrittenAfter(const std::string& after,
                                                      std::size_t limit) const {
  std::vector<Stamped> values;
  auto lock = db_.Lock();
  Statement select(db_.Handle(),
                   "SELECT tag, value, at, origin FROM written_value WHERE tag > ?1 "
                   "ORDER BY tag LIMIT ?2");
  select.Bind(1, after).Bind(2, static_cast<std::int64_t>(limit));
  while (select.Step()) {
    values.push_back({select.Text(0), select.Text(1), {select.Int(2), select.Text(3)}});
  }
  return values;
}

}  // namespace znsim
