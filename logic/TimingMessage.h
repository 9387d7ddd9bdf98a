#pragma once
/// The status text that reports how long an operation took and which server served it.
#include <string>

#include "LocalDateTime.h"

namespace app {

/// Whole seconds from start to end (clock-second boundaries crossed); negative when the
/// clock was set back.
std::int32_t ElapsedSeconds(const ui::LocalDateTime& start, const ui::LocalDateTime& end);

/// lead + " takes about 1 second " + preposition + " '" + server + "'." when no second
/// boundary passed, else lead + " takes about " + N + " second(s) " + preposition + ...
std::string TimingMessage(const std::string& lead, const std::string& preposition,
                          std::int32_t seconds, const std::string& server);

}  // namespace app
