#pragma once
/// Switches alarms on and off from their conditions and keeps the set that is on now.
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "Project.h"
#include "TimeText.h"

namespace znsim {

/// Whether the condition holds for `value`. An active alarm stays on until the value is
/// back inside the limit by the deadband, so a value wandering at the limit does not chatter.
bool AlarmHolds(const AlarmDef& alarm, double value, double setpoint, bool active);

/// The short text kept with an occurrence: what the value was when the alarm came on.
std::string AlarmComment(const AlarmDef& alarm, double value, double setpoint);

struct AlarmTransition {
  std::size_t alarm;  // index into Project::alarms
  bool on;
  Millis at;
  std::string comment;  // set for an on transition
};

struct ActiveAlarm {
  std::size_t alarm;
  Millis since;
  std::string comment;
};

class AlarmEngine {
 public:
  explicit AlarmEngine(const Project& project);

  /// Marks an alarm that was on when the server last stopped, so that it is not reported
  /// as a new occurrence and its end is recorded when it clears.
  void Restore(std::size_t alarm, Millis since, std::string comment);

  /// Evaluates every alarm with `value(tagIndex)` at instant `now`; returns the transitions.
  std::vector<AlarmTransition> Evaluate(Millis now,
                                        const std::function<double(std::size_t)>& value);

  std::vector<ActiveAlarm> Active() const;
  const Project& project() const { return project_; }

 private:
  struct State {
    bool active = false;
    Millis since = 0;
    std::string comment;
  };
  const Project& project_;
  std::vector<std::size_t> tagOf_;
  std::vector<std::size_t> setpointOf_;
  mutable std::mutex mutex_;
  std::vector<State> states_;
};

/// The key that names one alarm in the history: its tag and condition.
std::string AlarmKey(const AlarmDef& alarm);

}  // namespace znsim
