#include "Project.h"

#include <stdexcept>

namespace znsim {

namespace {

[[noreturn]] void Bad(const std::string& what) {
  throw std::runtime_error(what);
}

template <typename T>
void Index(const std::vector<T>& items, std::unordered_map<std::string, std::size_t>& index,
           const char* kind) {
  index.clear();
  index.reserve(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].name.empty()) Bad(std::string(kind) + " without a name");
    if (!index.emplace(items[i].name, i).second) {
      Bad(std::string("duplicate ") + kind + " '" + items[i].name + "'");
    }
  }
}

}  // namespace

// A million alarms are held at once: keep each to what it needs.
static_assert(sizeof(AlarmDef) <= 48);

void Project::Finish() {
  for (const auto& tag : tags) {
    if (tag.name().empty()) Bad("tag without a name");
  }
  const auto nameOf = [this](std::size_t i) { return tags[i].name(); };
  if (const auto repeated = tagIndex_.Build(tags.size(), nameOf)) {
    Bad("duplicate tag '" + std::string(tags[*repeated].name()) + "'");
  }
  Index(trends, trendIndex_, "trend");
  Index(devices, deviceIndex_, "device");
  for (const auto& tag : tags) {
    if (tag.type == TagType::String && tag.texts.empty() && tag.sim.kind != SimKind::Constant) {
      Bad("string tag '" + std::string(tag.name()) + "' moves but has no texts");
    }
    if (tag.sim.period <= 0) {
      Bad("tag '" + std::string(tag.name()) + "' has a period of zero or less");
    }
  }
  for (const auto& user : users) {
    if (user.name.empty() || user.hash.empty()) Bad("user without a name or hash");
  }
  setpointOf_.clear();
  // Alarms mostly come in the order of their tags: the tag after the last alarm's is tried
  // before a lookup, which spares a million lookups in a generated project.
  std::size_t next = 0;
  for (std::size_t i = 0; i < alarms.size(); ++i) {
    AlarmDef& alarm = alarms[i];
    const std::size_t tag =
        next < tags.size() && tags[next].name() == alarm.tag() ? next : TagIndex(alarm.tag());
    if (tag == npos) Bad("alarm on unknown tag '" + std::string(alarm.tag()) + "'");
    if (tags[tag].type == TagType::String) {
      Bad("alarm on string tag '" + std::string(alarm.tag()) + "'");
    }
    alarm.tagIndex_ = static_cast<std::uint32_t>(tag);
    next = tag + 1;
    if (alarm.condition == AlarmCondition::Deviation) {
      const std::size_t setpoint = TagIndex(alarm.setpoint());
      if (setpoint == npos || tags[setpoint].type == TagType::String) {
        Bad("deviation alarm on '" + std::string(alarm.tag()) + "' needs a numeric setpoint tag");
      }
      setpointOf_[i] = setpoint;
    }
  }
  for (const auto& trend : trends) {
    const TagDef* tag = FindTag(trend.tag);
    if (tag == nullptr) Bad("trend '" + trend.name + "' of unknown tag '" + trend.tag + "'");
    if (tag->type == TagType::String) Bad("trend '" + trend.name + "' of a string tag");
    if (!(trend.period >= 0.1)) Bad("trend '" + trend.name + "' samples faster than 0.1 s");
  }
  for (const auto& device : devices) {
    if (device.name == "Tag" || device.name == "_Trend") {
      Bad("device name '" + device.name + "' is taken by a built-in table");
    }
    for (const auto& record : device.records) {
      if (record.size() != device.fields.size()) {
        Bad("device '" + device.name + "' has a record with the wrong number of values");
      }
    }
  }
}

const TagDef* Project::FindTag(std::string_view name) const {
  const std::size_t index = TagIndex(name);
  return index == npos ? nullptr : &tags[index];
}

std::size_t Project::TagIndex(std::string_view name) const {
  return tagIndex_.Find(name, [this](std::size_t i) { return tags[i].name(); });
}

std::size_t Project::SetpointIndex(std::size_t alarm) const {
  const auto it = setpointOf_.find(alarm);
  return it == setpointOf_.end() ? npos : it->second;
}

const TrendDef* Project::FindTrend(const std::string& name) const {
  const auto it = trendIndex_.find(name);
  return it == trendIndex_.end() ? nullptr : &trends[it->second];
}

const DeviceDef* Project::FindDevice(const std::string& name) const {
  const auto it = deviceIndex_.find(name);
  return it == deviceIndex_.end() ? nullptr : &devices[it->second];
}

const char* AlarmConditionName(AlarmCondition condition) {
  switch (condition) {
    case AlarmCondition::High:
      return "High";
    case AlarmCondition::Low:
      return "Low";
    case AlarmCondition::On:
      return "On";
    case AlarmCondition::Off:
      return "Off";
    case AlarmCondition::Deviation:
      return "Deviation";
  }
  return "";
}

}  // namespace znsim
