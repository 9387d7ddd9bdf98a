#pragma once
/// What a simulated plant consists of: users, tags, alarms, trends and devices. A project
/// is built once at start-up (demo, TOML file, generator) and never changes afterwards, so
/// every thread may read it without locking.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "Simulation.h"
#include "TagType.h"

namespace znsim {

struct UserDef {
  std::string name;
  std::string hash;  // Argon2id, as crypto_pwhash_str writes it
};

struct TagDef {
  std::string name;
  TagType type = TagType::Real;
  std::string units;
  std::string comment;
  SimModel sim;
  int decimals = 2;                // real tags are rounded to this many decimals
  std::vector<std::string> texts;  // string tags show texts[model value] in turn
};

enum class AlarmCondition { High, Low, On, Off, Deviation };

struct AlarmDef {
  std::string tag;
  AlarmCondition condition = AlarmCondition::High;
  double limit = 0;      // high/low limit, or the allowed deviation
  double deadband = 0;   // an active alarm clears only this far back inside the limit
  std::string setpoint;  // deviation alarms: the tag the value is compared with
  std::string description;
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
  std::string title;
  std::vector<UserDef> users;
  std::vector<TagDef> tags;
  std::vector<AlarmDef> alarms;
  std::vector<TrendDef> trends;
  std::vector<DeviceDef> devices;

  /// Builds the name indexes and checks every reference; throws std::runtime_error naming
  /// the first problem (duplicate names, unknown tags, a trend of a string tag...).
  void Finish();

  const TagDef* FindTag(const std::string& name) const;
  std::size_t TagIndex(const std::string& name) const;  // npos when unknown
  const TrendDef* FindTrend(const std::string& name) const;
  const DeviceDef* FindDevice(const std::string& name) const;

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  std::unordered_map<std::string, std::size_t> tagIndex_;
  std::unordered_map<std::string, std::size_t> trendIndex_;
  std::unordered_map<std::string, std::size_t> deviceIndex_;
};

const char* AlarmConditionName(AlarmCondition condition);

}  // namespace znsim
