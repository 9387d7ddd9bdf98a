#include <gtest/gtest.h>

#include "DemoProject.h"
#include "ProjectGenerator.h"
#include "ProjectToml.h"

namespace znsim {
namespace {

constexpr const char* kSample = R"(
title = "Test works"
[[users]]
name = "Op"
hash = "$argon2id$v=19$m=8192,t=2,p=1$abc$def"
[[tags]]
name = "LT1"
type = "real"
units = "m"
comment = "Level"
sim = { kind = "sine", offset = 2, amplitude = 1, period = 600 }
[[tags]]
name = "SP1"
type = "real"
sim = { kind = "constant", offset = 2 }
[[tags]]
name = "MODE"
type = "string"
texts = ["AUTO", "MANUAL"]
sim = { kind = "ramp", amplitude = 2, period = 120 }
[[alarms]]
tag = "LT1"
condition = "deviation"
setpoint = "SP1"
limit = 0.5
description = "Level off setpoint"
[[trends]]
name = "LT1_TR"
tag = "LT1"
period = 2.5
[[devices]]
name = "Pumps"
fields = ["Name", "Duty"]
records = [["P1", "Lead"], ["P2", "Lag"]]
)";

TEST(ProjectToml, ReadsEverySection) {
  const Project p = ParseProject(kSample);
  EXPECT_EQ(p.title, "Test works");
  ASSERT_EQ(p.tags.size(), 3u);
  EXPECT_EQ(p.tags[0].sim.kind, SimKind::Sine);
  EXPECT_EQ(p.tags[0].sim.period, 600);
  EXPECT_EQ(p.tags[2].texts, (std::vector<std::string>{"AUTO", "MANUAL"}));
  ASSERT_EQ(p.alarms.size(), 1u);
  EXPECT_EQ(p.alarms[0].condition, AlarmCondition::Deviation);
  EXPECT_EQ(p.trends.at(0).period, 2.5);
  ASSERT_NE(p.FindDevice("Pumps"), nullptr);
  EXPECT_EQ(p.FindDevice("Pumps")->records.size(), 2u);
}

TEST(ProjectToml, RefusesInconsistentProjects) {
  const std::pair<const char*, const char*> bad[] = {
      {"[[tags]]\nname = \"A\"\n[[tags]]\nname = \"A\"", "duplicate"},
      {"[[tags]]\nname = \"A\"\ntype = \"complex\"", "unknown type"},
      {"[[alarms]]\ntag = \"X\"\ncondition = \"high\"", "unknown tag"},
      {"[[tags]]\nname = \"A\"\n[[alarms]]\ntag = \"A\"\ncondition = \"sideways\"", "condition"},
      {"[[tags]]\nname = \"A\"\ntype = \"string\"\n[[trends]]\nname = \"T\"\ntag = \"A\"",
       "string tag"},
      {"[[devices]]\nname = \"D\"\nfields = [\"a\", \"b\"]\nrecords = [[\"1\"]]", "wrong number"},
      {"[[devices]]\nname = \"Tag\"\nfields = [\"a\"]", "built-in"},
      {"[[tags]]\nname = 5", "wrong type"},
      {"title = ", ""},  // not TOML at all
  };
  for (const auto& [text, reason] : bad) {
    try {
      ParseProject(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
    }
  }
}

TEST(DemoProject, OffersEnoughOfEverythingForEveryWindow) {
  const Project p = DemoProject();
  EXPECT_GE(p.tags.size(), 150u);
  EXPECT_GE(p.alarms.size(), 20u);
  EXPECT_GE(p.trends.size(), 15u);
  EXPECT_GE(p.devices.size(), 3u);
  bool types[4] = {};
  for (const auto& tag : p.tags) types[static_cast<int>(tag.type)] = true;
  for (bool seen : types) EXPECT_TRUE(seen);
  // Client buffers hold 31 characters of a property.
  for (const auto& device : p.devices) {
    for (const auto& record : device.records) {
      for (const auto& value : record) EXPECT_LT(value.size(), 32u) << value;
    }
  }
}

TEST(ProjectGenerator, SameCountsGiveTheSameProject) {
  Project a;
  AddGenerated(a, {1000, 700, 50});
  Project b;
  AddGenerated(b, {1000, 700, 50});
  ASSERT_EQ(a.tags.size(), 1000u);
  EXPECT_EQ(a.alarms.size(), 700u);
  EXPECT_EQ(a.trends.size(), 50u);
  EXPECT_EQ(a.tags[999].name, "GEN001000");
  EXPECT_EQ(a.tags[123].sim.period, b.tags[123].sim.period);
  EXPECT_EQ(a.tags[123].sim.phase, b.tags[123].sim.phase);
  EXPECT_NE(a.FindTrend("GENTR000050"), nullptr);
}

}  // namespace
}  // namespace znsim
