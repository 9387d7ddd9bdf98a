#pragma once
/// Runs the script function text of a Zncode request: Time(1), Date(1), TagRead("T"),
/// TagWrite("T", value), Version(), Sleep(ms), with nested calls as arguments.
#include <string>

#include "TagStore.h"
#include "TimeText.h"

namespace znsim {

/// The longest Sleep a request may ask for in total.
inline constexpr Millis kMaxSleepMillis = 60000;

struct ScriptOutcome {
  bool ok = false;
  std::string result;  // on success
  std::string error;   // on failure
  Millis delay = 0;    // how long the reply waits (Sleep); the caller must not block on it
};

struct ScriptContext {
  TagStore& tags;
  std::string serverName;
  Millis now;
};

/// Checks every call of the text before any of it runs, and commits the writes it makes
/// together once the whole text has run, so a call that fails has written nothing.
ScriptOutcome RunScript(const std::string& text, ScriptContext& context);

/// Longest text that IsQuickScript considers.
inline constexpr std::size_t kQuickScriptBytes = 1024;
/// True when running the text costs microseconds: it is short and writes no tag, which would
/// wait for the disk. Malformed text is quick too, since it fails at once.
bool IsQuickScript(const std::string& text);

}  // namespace znsim
