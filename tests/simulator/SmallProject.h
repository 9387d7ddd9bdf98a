#pragma once
/// A few tags, alarms and trends with known models, for tests that need exact values.
#include <filesystem>
#include <string>

#include "Project.h"
#include "ZnsimProcess.h"

namespace simtest {

inline znsim::Project SmallProject() {
  using namespace znsim;
  Project p;
  p.title = "test works";
  auto tag = [&p](std::string_view name, TagType type, SimModel sim) {
    TagDef t(p.pool(), name);
    t.type = type;
    t.sim = sim;
    p.tags.push_back(std::move(t));
  };
  tag("LEVEL", TagType::Real, {SimKind::Constant, 5, 0, 60, 0, 1});
  tag("LEVEL_SP", TagType::Real, {SimKind::Constant, 4, 0, 60, 0, 1});
  tag("PUMP", TagType::Digital, {SimKind::Constant, 1, 0, 60, 0, 1});
  tag("COUNT", TagType::Integer, {SimKind::Constant, 7, 0, 60, 0, 1});
  tag("MODE", TagType::String, {SimKind::Constant, 0, 0, 60, 0, 1});
  p.tags.back().texts = {"AUTO"};
  tag("WAVE", TagType::Real, {SimKind::Ramp, 0, 100, 100, 0, 1});  // value = seconds % 100
  p.alarms.emplace_back(p.pool(), "LEVEL", AlarmCondition::High, 4.5, 0.2, "", "Level high");
  p.alarms.emplace_back(p.pool(), "PUMP", AlarmCondition::On, 0, 0, "", "Pump tripped");
  p.alarms.emplace_back(p.pool(), "LEVEL", AlarmCondition::Deviation, 2, 0, "LEVEL_SP",
                        "Level off setpoint");
  p.trends.push_back({"WAVE_TR", "WAVE", 10, "ramp"});
  p.devices.push_back({"Pumps", {"Name", "Duty"}, {{"P1", "Lead"}, {"P2", "Lag"}}});
  p.Finish();
  return p;
}

/// A temporary folder removed at the end of the test.
struct TempDir : testing_support::TempDir {
  TempDir() : testing_support::TempDir("znsim-unit-") {}
  std::filesystem::path operator/(const char* name) const {
    return std::filesystem::path(path) / name;
  }
};

}  // namespace simtest
