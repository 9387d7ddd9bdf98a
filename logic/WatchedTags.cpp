#include "WatchedTags.h"

#include "NumericText.h"
#include "TextValues.h"

namespace logic {

WatchedTags::WatchedTags(const QStringList& names) : names_(names) {
  tags_.reserve(names.size());
  for (const QString& name : names) tags_.push_back({.name = name});
}

const std::vector<int>& WatchedTags::Apply(const WatchCycle& cycle) {
  touched_.clear();
  anyChanged_ = false;
  lastTime_ = cycle.time;
  if (cycle.gap) return touched_;
  const std::size_t count = std::min(tags_.size(), cycle.values.size());
  for (std::size_t i = 0; i < count; ++i) {
    WatchedTag& tag = tags_[i];
    const binding::ListValue& read = cycle.values[i];
    const bool failed = read.outcome != binding::ListValue::Outcome::Read;
    bool changed = false;
    if (failed) {
      const QString failure = read.outcome == binding::ListValue::Outcome::NotAdded
                                  ? QStringLiteral("not added")
                                  : QStringLiteral("not read");
      changed = !tag.failed || tag.failure != failure;
      tag.failure = failure;
    } else {
      // Compared as read, converted only when changed: most cycles change few tags.
      changed = tag.failed || !tag.seen || tag.text != read.text;
      if (changed) {
        tag.text = read.text;
        tag.value = FromAnsi(read.text);
        if (const auto number = binding::ParseNumericText(read.text)) {
          if (!tag.min || *number < *tag.min) tag.min = *number;
          if (!tag.max || *number > *tag.max) tag.max = *number;
        }
      }
    }
    const bool serverChanged = tag.server != cycle.server;
    if (changed && tag.seen) {
      tag.changed = cycle.time;
      ++tag.changes;
      anyChanged_ = true;
    }
    tag.failed = failed;
    tag.server = cycle.server;
    if (changed || serverChanged || !tag.seen) touched_.push_back(static_cast<int>(i));
    tag.seen = true;
  }
  return touched_;
}

}  // namespace logic
