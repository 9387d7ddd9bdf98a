#include "AlarmEngine.h"

#include <cmath>
#include <cstdio>

namespace znsim {

bool AlarmHolds(const AlarmDef& alarm, double value, double setpoint, bool active) {
  const double band = active ? alarm.deadband : 0;
  switch (alarm.condition) {
    case AlarmCondition::High:
      return value > alarm.limit - band;
    case AlarmCondition::Low:
      return value < alarm.limit + band;
    case AlarmCondition::On:
      return value >= 0.5;
    case AlarmCondition::Off:
      return value < 0.5;
    case AlarmCondition::Deviation:
      return std::fabs(value - setpoint) > alarm.limit - band;
  }
  return false;
}

std::string AlarmComment(const AlarmDef& alarm, double value, double setpoint) {
  char text[96];
  switch (alarm.condition) {
    case AlarmCondition::High:
      std::snprintf(text, sizeof text, "%.6g above %.6g", value, alarm.limit);
      break;
    case AlarmCondition::Low:
      std::snprintf(text, sizeof text, "%.6g below %.6g", value, alarm.limit);
      break;
    case AlarmCondition::On:
      return "Went on";
    case AlarmCondition::Off:
      return "Went off";
    case AlarmCondition::Deviation:
      std::snprintf(text, sizeof text, "%.6g off setpoint %.6g", value, setpoint);
      break;
  }
  return text;
}

std::string AlarmKey(const AlarmDef& alarm) {
  return alarm.tag + "|" + AlarmConditionName(alarm.condition);
}

AlarmEngine::AlarmEngine(const Project& project)
    : project_(project), states_(project.alarms.size()) {
  tagOf_.reserve(project.alarms.size());
  setpointOf_.reserve(project.alarms.size());
  for (const auto& alarm : project.alarms) {
    tagOf_.push_back(project.TagIndex(alarm.tag));
    setpointOf_.push_back(alarm.condition == AlarmCondition::Deviation
                              ? project.TagIndex(alarm.setpoint)
                              : Project::npos);
  }
}

void AlarmEngine::Restore(std::size_t alarm, Millis since, std::string comment) {
  std::lock_guard lock(mutex_);
  if (alarm >= states_.size()) return;
  states_[alarm] = State{true, since, std::move(comment)};
}

std::vector<AlarmTransition> AlarmEngine::Evaluate(
    Millis now, const std::function<double(std::size_t)>& value) {
  std::vector<AlarmTransition> transitions;
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < states_.size(); ++i) {
    const AlarmDef& alarm = project_.alarms[i];
    const double v = value(tagOf_[i]);
    const double sp = setpointOf_[i] == Project::npos ? 0 : value(setpointOf_[i]);
    State& state = states_[i];
    const bool holds = AlarmHolds(alarm, v, sp, state.active);
    if (holds == state.active) continue;
    if (holds) {
      state = State{true, now, AlarmComment(alarm, v, sp)};
      transitions.push_back({i, true, now, state.comment});
    } else {
      state = State{};
      transitions.push_back({i, false, now, {}});
    }
  }
  return transitions;
}

std::vector<ActiveAlarm> AlarmEngine::Active() const {
  std::vector<ActiveAlarm> active;
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < states_.size(); ++i) {
    if (states_[i].active) active.push_back({i, states_[i].since, states_[i].comment});
  }
  return active;
}

}  // namespace znsim
