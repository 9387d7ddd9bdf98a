#pragma once
/// Runs the script function text of a Zncode request: Time(1), Date(1), TagRead("T"),
/// TagWrite("T", value), Version(), Sleep(ms), with nested calls as arguments; and the
/// simulator's own: SimFault(kind[, amount]) (see Faults.h), for administrators, and
/// SimPeer(), how the pair stands.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Faults.h"
#include "TagStore.h"
#include "TimeText.h"

namespace znsim {

/// The longest Sleep a request may ask for in total.
inline constexpr Millis kMaxSleepMillis = 60000;

struct ScriptOutcome {
  bool ok = false;
  std::string result;      // on success
  std::string error;       // on failure
  Millis delay = 0;        // how long the reply waits (Sleep); the caller must not block on it
  bool setFaults = false;  // the text set or cleared faults: its reply is not subject to them
};

/// The server's own controls that the simulator's functions reach; absent where scripts run
/// without a server.
struct SimControls {
  Faults* faults = nullptr;
  std::function<std::string()> peerState;  // none: the server has no peer
};

struct ScriptContext {
  TagStore& tags;
  std::string_view serverName;
  Millis now;
  SimControls sim{};
  std::string_view caller{};  // who runs the script, for the log: "'Engineer' from 127.0.0.1"
  bool administrator = false;
};

/// Checks every call of the text before any of it runs, and commits the writes (and faults) it
/// makes together once the whole text has run, so a call that fails has changed nothing.
ScriptOutcome RunScript(const std::string& text, ScriptContext& context);

/// Longest text that IsQuickScript considers.
inline constexpr std::size_t kQuickScriptBytes = 1024;
/// True when running the text costs microseconds: it is short and writes no tag, which would
/// wait for the disk. Malformed text is quick too, since it fails at once.
bool IsQuickScript(const std::string& text);

}  // namespace znsim
