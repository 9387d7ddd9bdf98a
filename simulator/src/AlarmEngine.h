#pragma once
/// Switches alarms on and off from their conditions and keeps the set that is on now.
///
/// A tick looks only at the alarms that may have changed: after each look an alarm is put
/// off for as long as its values surely cannot reach its limit (from how fast their models
/// can move), or until one of its tags is written. A plant of a million alarms that move
/// slowly then costs a few thousand looks a second, and every change is still seen at the
/// very tick a look at every alarm would see it.
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
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

/// The live values the engine looks at.
class AlarmInputs {
 public:
  virtual ~AlarmInputs() = default;
  /// The value of tag `tag` at `now`, as alarms compare it.
  virtual double Number(std::size_t tag, Millis now) const = 0;
  /// Seconds from `now` on during which Number(tag) surely moves by less than `margin`.
  virtual double SteadySeconds(std::size_t tag, Millis now, double margin) const = 0;
};

class AlarmEngine {
 public:
  explicit AlarmEngine(const Project& project);

  /// Marks an alarm that was on when the server last stopped, so that it is not reported
  /// as a new occurrence and its end is recorded when it clears.
  void Restore(std::size_t alarm, Millis since, std::string comment);

  /// Evaluates the alarms [first, last) with the values of `inputs` at instant `now`; returns
  /// the transitions. A large plant is evaluated a slice at a time, so that its transitions
  /// never pile up in memory all at once.
  std::vector<AlarmTransition> Evaluate(Millis now, const AlarmInputs& inputs, std::size_t first,
                                        std::size_t last);

  /// Evaluates, at the tick `now`, the alarms due by then and those of `written` tags (all of
  /// them at the first call, or after a pause too long to keep track of), and puts each off
  /// again; returns the transitions, in alarm order.
  std::vector<AlarmTransition> EvaluateDue(Millis now, const AlarmInputs& inputs,
                                           const std::vector<std::size_t>& written);

  std::vector<ActiveAlarm> Active() const;
  const Project& project() const { return project_; }

 private:
  // The value that switched an active alarm on, from which its comment is written again.
  struct State {
    Millis since = 0;
    double value = 0;
    double setpoint = 0;
  };
  /// Evaluates alarm `i` with its values; adds a transition when its state changes.
  void EvaluateOne(std::size_t i, Millis now, double value, double setpoint,
                   std::vector<AlarmTransition>& transitions);
  /// Puts alarm `i` off until the first tick at which its state might change.
  void Schedule(std::size_t i, Millis now, const AlarmInputs& inputs, double value,
                double setpoint);
  std::string CommentOf(std::size_t i) const;
  /// The value alarm `i` compares with: its setpoint tag's for a deviation alarm, else 0.
  double SetpointOf(std::size_t i, Millis now, const AlarmInputs& inputs) const;

  const Project& project_;
  mutable std::mutex mutex_;
  std::vector<bool> active_;
  std::vector<State> states_;
  std::unordered_map<std::size_t, std::string> restoredComments_;  // of alarms on at start

  // When each alarm is due, in whole seconds, and a wheel of seconds holding the alarms due
  // in each; an entry whose due second has moved on is stale and skipped.
  std::vector<std::int64_t> due_;
  std::vector<std::vector<std::uint32_t>> wheel_;
  std::int64_t lastSecond_ = -1;  // the tick looked at last; -1 before the first
};

/// Writes into `key` the key that names one alarm in the history: its tag and condition.
void AlarmKey(const AlarmDef& alarm, std::string& key);

}  // namespace znsim
