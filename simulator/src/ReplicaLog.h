#pragma once
/// The changes this server accepted from its clients, numbered in commit order, from which a
/// peer catches up after a gap; and how far this server has applied its peer's log. Both live
/// in the server's SQLite file and are written in the transactions of the values they
/// describe, so a crash at any moment leaves them in step with the values.
///
/// The log keeps its newest `keep` changes; a peer that fell further behind gets a full copy
/// of the written values instead. Each log has an identity made at random with its file, so a
/// peer tells a replaced or fresh file from the one it caught up with.
///
/// The methods that write run inside the caller's transaction, with the database locked by
/// the caller.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Database.h"
#include "WriteStamp.h"

namespace znsim {

class ReplicaLog {
 public:
  struct Entry {
    std::uint64_t seq = 0;
    std::string tag;
    std::string value;
    WriteStamp stamp;
  };
  /// A position in a log: the changes of log `logId` up to `applied` are applied here.
  struct Cursor {
    std::string logId;
    std::uint64_t applied = 0;
  };

  /// Creates the tables when missing.
  ReplicaLog(Database& db, std::uint64_t keep);

  const std::string& id() const { return id_; }
  std::uint64_t keep() const { return keep_; }
  /// The number of the newest change; 0 before the first.
  std::uint64_t latest() const { return latest_.load(std::memory_order_acquire); }
  /// The number of the oldest change still kept: a peer that has applied at least the one
  /// before it can catch up from the log.
  std::uint64_t oldest() const { return oldest_.load(std::memory_order_acquire); }
  /// Where this server stands in its peer's log.
  Cursor cursor() const;

  /// Appends `entries` (their numbers are set here) and drops what falls beyond `keep`.
  void Append(std::vector<Entry>& entries);
  void SaveCursor(const Cursor& cursor);
  /// The transaction that appended or saved is committed: latest(), oldest() and cursor()
  /// tell of it from now on.
  void Committed();
  /// The transaction is rolled back: what it appended or saved is forgotten.
  void RolledBack();

  /// Up to `limit` changes after number `after`, oldest first. Locks the database.
  std::vector<Entry> After(std::uint64_t after, std::size_t limit) const;

 private:
  void Load();

  Database& db_;
  std::uint64_t keep_;
  std::string id_;
  // What the transaction under way has written, under the database lock; published when it
  // commits.
  std::uint64_t nextLatest_ = 0;
  std::uint64_t nextOldest_ = 1;
  std::optional<Cursor> nextCursor_;
  std::atomic<std::uint64_t> latest_{0};
  std::atomic<std::uint64_t> oldest_{1};
  mutable std::mutex cursorMutex_;
  Cursor cursor_;
};

}  // namespace znsim
