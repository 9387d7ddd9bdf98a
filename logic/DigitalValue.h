#pragma once
/// Digital values as people type them: the states a tag's alarms show (ON, OFF) and the words
/// of scripts (true, false) besides 0 and 1. The server takes only 0 or 1 for a digital tag.
#include <QString>
#include <functional>

namespace logic {

/// What to send when `typed` is written to a tag. "ON"/"true" and "OFF"/"false" (any case,
/// blanks around allowed) become "1" and "0" when `holdsNumber` says the tag holds a number;
/// it is asked only for those words, so that every other value costs no extra request, and a
/// text tag still receives the word itself. Anything else is sent as typed.
QString ValueToWrite(const QString& typed, const std::function<bool()>& holdsNumber);

}  // namespace logic
