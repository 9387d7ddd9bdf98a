#pragma once
/// Live tag values: each tag follows its simulation model until a client writes it, and from
/// then on holds the written value, which is kept in SQLite across restarts and crashes.
///
/// Every written value carries its stamp (see WriteStamp): a write accepted here is stamped
/// later than any value this store has held, and a peer's write replaces a value only when its
/// stamp supersedes the value's. Writes accepted here are numbered in the replica log in the
/// same commit, for the peer to catch up from.
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "AlarmEngine.h"
#include "Database.h"
#include "Project.h"
#include "ReplicaLog.h"
#include "TimeText.h"
#include "WriteStamp.h"

namespace znsim {

class TagStore : public AlarmInputs {
 public:
  /// Loads the values written in earlier runs (ignoring tags the project no longer has).
  /// `name` is the server's, which stamps the writes accepted here; the replica log keeps the
  /// newest `logKeep` of them.
  TagStore(const Project& project, Database& db, std::string name, std::uint64_t logKeep = 100'000);

  /// The value of `name` as text, or nullopt for an unknown tag.
  std::optional<std::string> Read(std::string_view name, Millis now) const;
  std::string Text(std::size_t index, Millis now) const;
  /// The value as a number for alarms and trends (digital 0/1, string tags 0).
  double Number(std::size_t index, Millis now) const override;
  /// Seconds from `now` on during which Number(index) surely moves by less than `margin`
  /// (infinite for a written tag until the next write).
  double SteadySeconds(std::size_t index, Millis now, double margin) const override;
  /// The tags written since the last call, each once.
  std::vector<std::size_t> TakeWritten();

  enum class WriteStatus { Written, UnknownTag, BadValue };
  struct WriteResult {
    WriteStatus status;
    std::string value;  // the canonical text stored
  };
  /// Checks the text against the tag's type and returns only once it is committed to disk.
  WriteResult Write(std::string_view name, const std::string& text);

  /// A checked write not done yet.
  struct Change {
    std::size_t tag;
    std::string value;  // canonical
  };
  /// Checks a write without doing it; the status says why it cannot be done.
  WriteStatus Prepare(std::string_view name, const std::string& text, Change& change) const;
  /// Why a write that Prepare refused cannot be done, for the client: "unknown tag 'X'" or
  /// "'abc' is not a number (tag X is Real)".
  std::string Refusal(const std::string& name, const std::string& text) const;
  /// Does checked writes in order, all in one commit to disk, and returns once they are on it:
  /// either all of them are done or, when it throws, none. Writers that come while a commit
  /// is on its way to disk go to disk together in the next one.
  void Commit(const std::vector<Change>& changes);

  /// A write as the peer sends it.
  struct Stamped {
    std::string tag;
    std::string value;
    WriteStamp stamp;
  };
  struct Applied {
    std::size_t applied = 0;             // changes that replaced the value held here
    std::size_t unknown = 0;             // for tags this project lacks, or values that do not fit
    std::vector<std::string> conflicts;  // changes refused for a newer value held here, described
  };
  /// Applies the peer's writes whose stamps supersede the values held here, and records
  /// `cursor` (when given) in the same commit, so that each change is applied once.
  Applied ApplyRemote(const std::vector<Stamped>& changes,
                      const std::optional<ReplicaLog::Cursor>& cursor);
  /// Up to `limit` written values of the tags named after `after`, in name order, with their
  /// stamps: a full copy for a peer, a page at a time.
  std::vector<Stamped> WrittenAfter(const std::string& after, std::size_t limit) const;
  /// Calls `listener` with the number of the newest change after each commit of writes
  /// accepted here. Set before the store is used.
  void OnLocalChanges(std::function<void(std::uint64_t)> listener) {
    listener_ = std::move(listener);
  }

  const Project& project() const { return project_; }
  const std::string& name() const { return name_; }
  const ReplicaLog& log() const { return log_; }

 private:
  struct Written {
    std::string text;
    double number = 0;
    WriteStamp stamp;
  };
  /// The written value of tag `index`, which must be written.
  const Written& WrittenValue(std::size_t index) const;
  /// Commits the changes of every writer in `batch`, in order, in one transaction.
  void CommitTogether(const std::vector<const std::vector<Change>*>& batch);
  /// Writes `values` (tag index, written value) to disk with `log` entries and `cursor`, in
  /// one transaction, then into memory.
  void Store(std::vector<std::pair<std::size_t, Written>>& values,
             std::vector<ReplicaLog::Entry>& log, const std::optional<ReplicaLog::Cursor>& cursor);

  const Project& project_;
  Database& db_;
  std::string name_;
  ReplicaLog log_;
  std::function<void(std::uint64_t)> listener_;
  mutable std::shared_mutex mutex_;
  // Keeps the disk and memory order of writes to one tag the same, and stamps in order.
  std::mutex writeMutex_;
  Micros clock_ = 0;  // the latest stamp issued or seen, under writeMutex_
  // Writers waiting for the commit under way to end, and whether one is.
  struct Waiting {
    const std::vector<Change>* changes;
    bool done = false;
    std::exception_ptr error;
  };
  std::mutex queueMutex_;
  std::condition_variable committed_;
  std::vector<Waiting*> queue_;
  bool committing_ = false;
  // Few of a million tags are ever written: a flag each, read without the lock, and the
  // values of those written under it.
  std::unique_ptr<std::atomic<bool>[]> isWritten_;
  std::unordered_map<std::size_t, Written> written_;
  std::vector<std::size_t> writtenSince_;  // since the last TakeWritten, under mutex_
};

/// The model's value of `tag` at `t` as the tag shows it (rounded, 0/1, a text).
std::string ModelText(const TagDef& tag, Millis t);
double ModelNumber(const TagDef& tag, Millis t);

}  // namespace znsim
