#include "ReplicaLog.h"

#include <sodium.h>

#include <algorithm>
#include <stdexcept>

namespace znsim {

namespace {

std::string RandomId() {
  if (sodium_init() < 0) throw std::runtime_error("libsodium failed to start");
  unsigned char bytes[16];
  randombytes_buf(bytes, sizeof bytes);
  char hex[2 * sizeof bytes + 1];
  sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
  return hex;
}

std::string Setting(Database& db, const char* key) {
  Statement select(db.Handle(), "SELECT value FROM pair_state WHERE key = ?1");
  select.Bind(1, std::string_view(key));
  return select.Step() ? select.Text(0) : std::string();
}

void Set(Database& db, const char* key, std::string_view value) {
  Statement upsert(db.Handle(),
                   "INSERT INTO pair_state(key, value) VALUES(?1, ?2) "
                   "ON CONFLICT(key) DO UPDATE SET value = excluded.value");
  upsert.Bind(1, std::string_view(key)).Bind(2, value).Run();
}

}  // namespace

ReplicaLog::ReplicaLog(Database& db, std::uint64_t keep)
    : db_(db), keep_(std::max<std::uint64_t>(keep, 1)) {
  auto lock = db_.Lock();
  db_.Exec(
      "CREATE TABLE IF NOT EXISTS change_log(seq INTEGER PRIMARY KEY, tag TEXT NOT NULL,"
      " value TEXT NOT NULL, at INTEGER NOT NULL, origin TEXT NOT NULL);"
      "CREATE TABLE IF NOT EXISTS pair_state(key TEXT PRIMARY KEY, value TEXT NOT NULL)");
  id_ = Setting(db_, "log_id");
  if (id_.empty()) {
    id_ = RandomId();
    Set(db_, "log_id", id_);
  }
  Load();
}

void ReplicaLog::Load() {
  Statement bounds(db_.Handle(),
                   "SELECT coalesce(min(seq), 0), coalesce(max(seq), 0) FROM change_log");
  bounds.Step();
  nextLatest_ = static_cast<std::uint64_t>(bounds.Int(1));
  nextOldest_ = nextLatest_ == 0 ? 1 : static_cast<std::uint64_t>(bounds.Int(0));
  Cursor cursor{Setting(db_, "peer_log_id"), 0};
  if (const std::string applied = Setting(db_, "peer_applied"); !applied.empty()) {
    cursor.applied = std::stoull(applied);
  }
  nextCursor_ = std::move(cursor);
  Committed();
}

void ReplicaLog::RolledBack() {
  Load();
}

void ReplicaLog::Committed() {
  latest_.store(nextLatest_, std::memory_order_release);
  oldest_.store(nextOldest_, std::memory_order_release);
  if (!nextCursor_) return;
  std::lock_guard lock(cursorMutex_);
  cursor_ = std::move(*nextCursor_);
  nextCursor_.reset();
}

ReplicaLog::Cursor ReplicaLog::cursor() const {
  std::lock_guard lock(cursorMutex_);
  return cursor_;
}

void ReplicaLog::Append(std::vector<Entry>& entries) {
  if (entries.empty()) return;
  Statement insert(
      db_.Handle(),
      "INSERT INTO change_log(seq, tag, value, at, origin) VALUES(?1, ?2, ?3, ?4, ?5)");
  for (auto& entry : entries) {
    entry.seq = ++nextLatest_;
    insert.Bind(1, static_cast<std::int64_t>(entry.seq))
        .BindKept(2, entry.tag)
        .BindKept(3, entry.value)
        .Bind(4, entry.stamp.at)
        .BindKept(5, entry.stamp.origin)
        .Run();
  }
  // Trimmed in steps of an eighth, so that a busy server deletes now and then, not at every
  // write.
  if (nextLatest_ - nextOldest_ + 1 > keep_ + keep_ / 8) {
    nextOldest_ = nextLatest_ - keep_ + 1;
    Statement trim(db_.Handle(), "DELETE FROM change_log WHERE seq < ?1");
    trim.Bind(1, static_cast<std::int64_t>(nextOldest_)).Run();
  }
}

void ReplicaLog::SaveCursor(const Cursor& cursor) {
  Set(db_, "peer_log_id", cursor.logId);
  Set(db_, "peer_applied", std::to_string(cursor.applied));
  nextCursor_ = cursor;
}

std::vector<ReplicaLog::Entry> ReplicaLog::After(std::uint64_t after, std::size_t limit) const {
  std::vector<Entry> entries;
  auto lock = db_.Lock();
  Statement select(db_.Handle(),
                   "SELECT seq, tag, value, at, origin FROM change_log WHERE seq > ?1 "
                   "ORDER BY seq LIMIT ?2");
  select.Bind(1, static_cast<std::int64_t>(after)).Bind(2, static_cast<std::int64_t>(limit));
  while (select.Step()) {
    entries.push_back({static_cast<std::uint64_t>(select.Int(0)),
                       select.Text(1),
                       select.Text(2),
                       {select.Int(3), select.Text(4)}});
  }
  return entries;
}

}  // namespace znsim
