#pragma once
/// What a watch knows of each tag after every cycle: its value or failure, when it last
/// changed, how often, its range and the server that answered. Widget-free, so that the window
/// and the recorder see the same changes.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "WatchCycle.h"

namespace logic {

struct WatchedTag {
  QString name;
  bool seen = false;  // a cycle has given it a value or a failure
  bool failed = false;
  QString value;      // the last value read (kept while the tag fails)
  std::string text;   // the same as the library gave it
  QString failure;    // why the last cycle gave no value: "not read", "not added"
  QDateTime changed;  // when the value or the failure last changed; invalid until then
  std::int64_t changes = 0;
  std::optional<double> min, max;  // of the values that read as numbers
  QString server;                  // that gave the last value or failure
};

class WatchedTags {
 public:
  explicit WatchedTags(const QStringList& names);

  /// Takes a cycle in and returns the rows whose shown state changed, in ascending order. A
  /// value or a failure that differs from the tag's last one counts as a change (the first
  /// reading does not); a gap changes no tag.
  const std::vector<int>& Apply(const WatchCycle& cycle);
  /// Whether the last cycle changed row `row`'s value or failure (not just its server).
  bool ChangedLastCycle(int row) const { return tags_[row].changed == lastTime_; }
  /// Whether the last cycle changed any tag's value or failure.
  bool anyChanged() const { return anyChanged_; }

  const std::vector<WatchedTag>& tags() const { return tags_; }
  const QStringList& names() const { return names_; }

 private:
  QStringList names_;
  std::vector<WatchedTag> tags_;
  std::vector<int> touched_;
  QDateTime lastTime_;
  bool anyChanged_ = false;
};

}  // namespace logic
