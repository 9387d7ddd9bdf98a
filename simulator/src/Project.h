#pragma once
/// What a simulated plant consists of: users, tags, alarms, trends and devices. A project
/// is built once at start-up (demo, TOML file, generator) and never changes afterwards, so
/// every thread may read it without locking.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "NameIndex.h"
#include "Simulation.h"
#include "TagType.h"
#include "TextPool.h"

namespace znsim {

struct UserDef {
  std::string name;
  std::string hash;            // Argon2id, as crypto_pwhash_str writes it
  bool administrator = false;  // may ask for faults (SimFault)
};

// Tags and alarms come by the million in scale projects: their texts live in the project's
// TextPool and the rest is packed, so that a tag with its alarm costs a few hundred bytes.

struct TagDef {
  TagDef() = default;
  TagDef(TextPool& pool, std::string_view name, std::string_view units = {},
         std::string_view comment = {})
      : texts_(pool, {name, units, comment}) {}
  std::string_view name() const { return texts_[0]; }
  std::string_view units() const { return texts_[1]; }
  std::string_view comment() const { return texts_[2]; }

  SimModel sim;
  TagType type = TagType::Real;
  std::uint8_t decimals = 2;       // real tags are rounded to this many decimals
  std::vector<std::string> texts;  // string tags show texts[model value] in turn

 private:
  PooledTexts<3> texts_;
};

enum class AlarmCondition : std::uint8_t { High, Low, On, Off, Deviation };

struct AlarmDef {
  AlarmDef() = default;
  /// `setpoint`: deviation alarms, the tag the value is compared with.
  AlarmDef(TextPool& pool, std::string_view tag, AlarmCondition condition, double limit,
           double deadband, std::string_view setpoint, std::string_view description)
      : condition(condition),
        limit(limit),
        deadband(deadband),
        texts_(pool, {tag, setpoint, description}) {}
  std::string_view tag() const { return texts_[0]; }
  std::string_view setpoint() const { return texts_[1]; }
  std::string_view description() const { return texts_[2]; }
  /// The position of tag() in Project::tags, once the project is finished.
  std::size_t tagIndex() const { return tagIndex_; }

  AlarmCondition condition = AlarmCondition::High;

 private:
  friend struct Project;
  // Beside the condition, in what would otherwise be padding.
  std::uint32_t tagIndex_ = 0;

 public:
  double limit = 0;     // high/low limit, or the allowed deviation
  double deadband = 0;  // an active alarm clears only this far back inside the limit

 private:
  PooledTexts<3> texts_;
};

struct TrendDef {
  std::string name;
  std::string tag;
  double period = 10;  // seconds between archived samples
  std::string comment;
};

struct DeviceDef {
  std::string name;
  std::vector<std::string> fields;
  std::vector<std::vector<std::string>> records;  // one value per field
};

struct Project {
  /// Where the texts of the project's tags and alarms are kept; copies of a project share it.
  TextPool& pool() { return *pool_; }

  std::string title;
  std::vector<UserDef> users;
  std::vector<TagDef> tags;
  std::vector<AlarmDef> alarms;
  std::vector<TrendDef> trends;
  std::vector<DeviceDef> devices;

  /// Builds the name indexes and checks every reference; throws std::runtime_error naming
  /// the first problem (duplicate names, unknown tags, a trend of a string tag...).
  void Finish();

  const TagDef* FindTag(std::string_view name) const;
  std::size_t TagIndex(std::string_view name) const;  // npos when unknown
  /// The position of the setpoint tag of alarm `alarm`, npos unless a deviation alarm.
  std::size_t SetpointIndex(std::size_t alarm) const;
  const TrendDef* FindTrend(const std::string& name) const;
  const DeviceDef* FindDevice(const std::string& name) const;

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  std::shared_ptr<TextPool> pool_ = std::make_shared<TextPool>();
  NameIndex tagIndex_;
  std::unordered_map<std::size_t, std::size_t> setpointOf_;  // of deviation alarms, by alarm
  std::unordered_map<std::string, std::size_t> trendIndex_;
  std::unordered_map<std::string, std::size_t> deviceIndex_;
};

const char* AlarmConditionName(AlarmCondition condition);

}  // namespace znsim
