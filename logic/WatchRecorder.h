#pragma once
/// A watch recorded to CSV: the time (ISO 8601, local with its offset), the server that
/// answered ("primary", "standby", or "gap" for a cycle without values), then one column per
/// tag under its name. Each row reaches the file as it is written and the file is synced at
/// least once a second, so a killed program loses at most the last second. A write that fails
/// (a full disk, a removed folder) stops the recording with its reason; the watch goes on.
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "WatchedTags.h"

namespace logic {

struct RecordingChoice {
  QString path;              // the file, or the name that rotated files are made from
  bool changesOnly = false;  // a row only when a tag changed, a gap began or ended
  enum class Rotation : std::uint8_t { None, Hourly, BySize } rotation = Rotation::None;
  std::int64_t maxBytes = 0;  // for BySize
};

/// "1h" or "NMB" (N whole megabytes, at least 1) as a rotation; nullopt for anything else.
std::optional<RecordingChoice> WithRotation(RecordingChoice choice, const QString& text);

class WatchRecorder {
 public:
  WatchRecorder(RecordingChoice choice, const QStringList& tags);
  ~WatchRecorder();
  WatchRecorder(const WatchRecorder&) = delete;
  WatchRecorder& operator=(const WatchRecorder&) = delete;

  /// Records the cycle just applied to `watched`. False once the recording has stopped.
  bool Record(const WatchCycle& cycle, const WatchedTags& watched);

  bool recording() const { return !stopped_; }
  /// Why the recording stopped; empty while it goes on.
  const QString& stopReason() const { return stopReason_; }
  /// The file being written, or the last one written.
  const QString& file() const { return file_; }

  /// The name of a rotated file started at `start`: "watch.csv" becomes
  /// "watch-2026-12-08T14-00-00+01-00.csv".
  static QString RotatedName(const QString& path, const QDateTime& start);

 private:
  bool Open(const QDateTime& start);
  bool DueForRotation(const QDateTime& time) const;
  bool Write(const QByteArray& bytes);
  bool SyncIfDue();
  void Close();
  bool Stop(const QString& reason);

  RecordingChoice choice_;
  QByteArray header_;
  int fd_ = -1;
  bool stopped_ = false;
  QString stopReason_;
  QString file_;
  std::int64_t size_ = 0;
  QDateTime rotateAt_;  // of an hourly rotation
  bool lastWasGap_ = false;
  bool rowsInFile_ = false;
  std::uint64_t device_ = 0, inode_ = 0;  // of the open file, to notice it removed
  QElapsedTimer sinceSync_;
};

}  // namespace logic
