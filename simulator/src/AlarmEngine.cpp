#include "AlarmEngine.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

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

namespace {

// "<value> <words> <limit>", the numbers as printf's "%.6g" writes them. A comment is written
// for every alarm that comes on: a quarter of a million at a large plant's first start.
std::string Comment(double value, std::string_view words, double limit) {
  std::array<char, 96> text;
  char* const end = text.data() + text.size();
  char* at = std::to_chars(text.data(), end, value, std::chars_format::general, 6).ptr;
  at = std::copy(words.begin(), words.end(), at);  // the numbers take at most 13 each
  at = std::to_chars(at, end, limit, std::chars_format::general, 6).ptr;
  return std::string(text.data(), at);
}

}  // namespace

std::string AlarmComment(const AlarmDef& alarm, double value, double setpoint) {
  switch (alarm.condition) {
    case AlarmCondition::High:
      return Comment(value, " above ", alarm.limit);
    case AlarmCondition::Low:
      return Comment(value, " below ", alarm.limit);
    case AlarmCondition::On:
      return "Went on";
    case AlarmCondition::Off:
      return "Went off";
    case AlarmCondition::Deviation:
      return Comment(value, " off setpoint ", setpoint);
  }
  return {};
}

void AlarmKey(const AlarmDef& alarm, std::string& key) {
  key.assign(alarm.tag());
  key += '|';
  key += AlarmConditionName(alarm.condition);
}

namespace {

// Seconds in the wheel: the longest an alarm is put off, so every alarm is looked at again
// within about a quarter of an hour, whatever its models promise.
constexpr std::int64_t kWheelSeconds = 1024;

}  // namespace

AlarmEngine::AlarmEngine(const Project& project)
    : project_(project),
      active_(project.alarms.size(), false),
      states_(project.alarms.size()),
      due_(project.alarms.size(), 0),
      wheel_(kWheelSeconds) {}

double AlarmEngine::SetpointOf(std::size_t i, Millis now, const AlarmInputs& inputs) const {
  if (project_.alarms[i].condition != AlarmCondition::Deviation) return 0;
  return inputs.Number(project_.SetpointIndex(i), now);
}

void AlarmEngine::Restore(std::size_t alarm, Millis since, std::string comment) {
  std::lock_guard lock(mutex_);
  if (alarm >= states_.size()) return;
  active_[alarm] = true;
  states_[alarm] = State{since, 0, 0};
  restoredComments_[alarm] = std::move(comment);
}

void AlarmEngine::EvaluateOne(std::size_t i, Millis now, double value, double setpoint,
                              std::vector<AlarmTransition>& transitions) {
  const AlarmDef& alarm = project_.alarms[i];
  const bool active = active_[i];
  const bool holds = AlarmHolds(alarm, value, setpoint, active);
  if (holds == active) return;
  active_[i] = holds;
  restoredComments_.erase(i);
  if (holds) {
    states_[i] = State{now, value, setpoint};
    transitions.push_back({i, true, now, AlarmComment(alarm, value, setpoint)});
  } else {
    transitions.push_back({i, false, now, {}});
  }
}

std::vector<AlarmTransition> AlarmEngine::Evaluate(Millis now, const AlarmInputs& inputs,
                                                   std::size_t first, std::size_t last) {
  std::vector<AlarmTransition> transitions;
  std::lock_guard lock(mutex_);
  last = std::min(last, states_.size());
  for (std::size_t i = first; i < last; ++i) {
    EvaluateOne(i, now, inputs.Number(project_.alarms[i].tagIndex(), now),
                SetpointOf(i, now, inputs), transitions);
  }
  return transitions;
}

std::vector<AlarmTransition> AlarmEngine::EvaluateDue(Millis now, const AlarmInputs& inputs,
                                                      const std::vector<std::size_t>& written) {
  std::vector<std::uint32_t> due;
  std::lock_guard lock(mutex_);
  const std::int64_t second = now / 1000;
  if (lastSecond_ < 0 || second - lastSecond_ >= kWheelSeconds) {
    for (auto& slot : wheel_) slot.clear();
    due.resize(states_.size());
    for (std::size_t i = 0; i < due.size(); ++i) due[i] = static_cast<std::uint32_t>(i);
  } else {
    for (std::int64_t s = lastSecond_ + 1; s <= second; ++s) {
      auto& slot = wheel_[static_cast<std::size_t>(s % kWheelSeconds)];
      for (const std::uint32_t i : slot) {
        if (due_[i] == s) due.push_back(i);
      }
      slot.clear();
    }
    if (!written.empty()) {
      // Rare, and then a scan beats keeping an index from each tag to its alarms.
      std::vector<bool> changed(project_.tags.size(), false);
      for (const std::size_t tag : written) changed[tag] = true;
      for (std::size_t i = 0; i < states_.size(); ++i) {
        const AlarmDef& alarm = project_.alarms[i];
        if (changed[alarm.tagIndex()] ||
            (alarm.condition == AlarmCondition::Deviation && changed[project_.SetpointIndex(i)])) {
          due_[i] = second;  // the entry in its slot is stale now
          due.push_back(static_cast<std::uint32_t>(i));
        }
      }
    }
    std::sort(due.begin(), due.end());
    due.erase(std::unique(due.begin(), due.end()), due.end());
  }
  lastSecond_ = second;

  std::vector<AlarmTransition> transitions;
  for (const std::uint32_t i : due) {
    const double value = inputs.Number(project_.alarms[i].tagIndex(), now);
    const double setpoint = SetpointOf(i, now, inputs);
    EvaluateOne(i, now, value, setpoint, transitions);
    Schedule(i, now, inputs, value, setpoint);
  }
  return transitions;
}

void AlarmEngine::Schedule(std::size_t i, Millis now, const AlarmInputs& inputs, double value,
                           double setpoint) {
  const AlarmDef& alarm = project_.alarms[i];
  const std::size_t tag = alarm.tagIndex();
  const double band = active_[i] ? alarm.deadband : 0;
  // How far the compared value is from the point where the alarm would switch.
  double steady;
  switch (alarm.condition) {
    case AlarmCondition::High:
      steady = inputs.SteadySeconds(tag, now, std::fabs(value - (alarm.limit - band)));
      break;
    case AlarmCondition::Low:
      steady = inputs.SteadySeconds(tag, now, std::fabs(value - (alarm.limit + band)));
      break;
    case AlarmCondition::On:
    case AlarmCondition::Off:
      steady = inputs.SteadySeconds(tag, now, std::fabs(value - 0.5));
      break;
    case AlarmCondition::Deviation: {
      // Each side may cover half the distance.
      const double half = std::fabs(std::fabs(value - setpoint) - (alarm.limit - band)) / 2;
      steady = std::min(inputs.SteadySeconds(tag, now, half),
                        inputs.SteadySeconds(project_.SetpointIndex(i), now, half));
      break;
    }
    default:
      steady = 0;
  }
  // Ticks come at or after whole seconds, and this one came after the second `now` is in:
  // every tick before the second now + floor(steady) comes before the alarm can switch. A
  // little is taken off for rounding in the bound itself.
  // Alarms that cannot switch for a long while are looked at again after between a half and a
  // whole turn of the wheel, spread by their number, so that a plant of quiet alarms does not
  // look at all of them in one tick.
  const double seconds = std::floor(steady * 0.999);
  const auto longest =
      static_cast<double>(kWheelSeconds - 1 - static_cast<std::int64_t>(i) % (kWheelSeconds / 2));
  const std::int64_t wait =
      std::isnan(seconds) ? 1 : static_cast<std::int64_t>(std::clamp(seconds, 1.0, longest));
  const std::int64_t at = now / 1000 + wait;
  due_[i] = at;
  wheel_[static_cast<std::size_t>(at % kWheelSeconds)].push_back(static_cast<std::uint32_t>(i));
}

std::string AlarmEngine::CommentOf(std::size_t i) const {
  if (const auto it = restoredComments_.find(i); it != restoredComments_.end()) return it->second;
  return AlarmComment(project_.alarms[i], states_[i].value, states_[i].setpoint);
}

std::vector<ActiveAlarm> AlarmEngine::Active() const {
  std::vector<ActiveAlarm> active;
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < states_.size(); ++i) {
    if (active_[i]) active.push_back({i, states_[i].since, CommentOf(i)});
  }
  return active;
}

}  // namespace znsim
