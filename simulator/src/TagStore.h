#pragma once
/// Live tag values: each tag follows its simulation model until a client writes it, and from
/// then on holds the written value, which is kept in SQLite across restarts and crashes.
#include <atomic>
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
#include "TimeText.h"

namespace znsim {

class TagStore : public AlarmInputs {
 public:
  /// Loads the values written in earlier runs (ignoring tags the project no longer has).
  TagStore(const Project& project, Database& db);

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
  /// either all of them are done or, when it throws, none.
  void Commit(const std::vector<Change>& changes);

  const Project& project() const { return project_; }

 private:
  struct Written {
    std::string text;
    double number = 0;
  };
  /// The written value of tag `index`, which must be written.
  const Written& WrittenValue(std::size_t index) const;

  const Project& project_;
  Database& db_;
  mutable std::shared_mutex mutex_;
  std::mutex writeMutex_;  // keeps the disk and memory order of writes to one tag the same
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
