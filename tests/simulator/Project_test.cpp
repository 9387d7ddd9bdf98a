#include <gtest/gtest.h>

#include "ProjectToml.h"

namespace znsim {
namespace {

TEST(ProjectToml, ReadsEverySection) {
  const Project p = ParseProject(R"(
title = "Test works"
tags = [{ name = "LT1", sim = { kind = "sine", offset = 2, amplitude = 1, period = 600 } },
        { name = "SP1" }, { name = "MODE", type = "string", texts = ["AUTO", "MANUAL"] }]
alarms = [{ tag = "LT1", condition = "deviation", setpoint = "SP1", limit = 0.5 }]
trends = [{ name = "LT1_TR", tag = "LT1", period = 2.5 }]
)");
  EXPECT_EQ(p.title, "Test works");
  ASSERT_EQ(p.tags.size(), 3u);
  EXPECT_EQ(p.tags[0].sim.kind, SimKind::Sine);
  EXPECT_EQ(p.tags[0].sim.period, 600);
  EXPECT_EQ(p.tags[2].texts, (std::vector<std::string>{"AUTO", "MANUAL"}));
  ASSERT_EQ(p.alarms.size(), 1u);
  EXPECT_EQ(p.alarms[0].condition, AlarmCondition::Deviation);
  EXPECT_EQ(p.alarms[0].setpoint(), "SP1");
  EXPECT_EQ(p.trends.at(0).period, 2.5);
}

TEST(ProjectToml, ReadsAnyCharacterAfterALineEndingBackslash) {
  EXPECT_EQ(ParseProject("title = \"\"\"\\\n\xc2\xa7 Works\"\"\"").title, "\xc2\xa7 Works");
}

TEST(ProjectToml, RefusesInconsistentProjects) {
  const std::pair<const char*, const char*> bad[] = {
      {"[[tags]]\nname = \"A\"\n[[tags]]\nname = \"A\"", "duplicate"},
      {"[[tags]]\nname = \"A\"\ntype = \"complex\"", "unknown type"},
      {"[[alarms]]\ntag = \"X\"\ncondition = \"high\"", "unknown tag"},
      {"[[tags]]\nname = \"A\"\ntype = \"string\"\n[[trends]]\nname = \"T\"\ntag = \"A\"",
       "string tag"},
      {"[[devices]]\nname = \"D\"\nfields = [\"a\", \"b\"]\nrecords = [[\"1\"]]", "wrong number"},
      {"[[devices]]\nname = \"Tag\"\nfields = [\"a\"]", "built-in"},
      {"title = ", ""},  // not TOML at all
      // The reader words these itself when its checks are compiled out (Release).
      {"[[$a]]", "key"},
      {"[ .tags]", "key"},
      {"\xcc\xaa", "saw"},  // U+032A where a key belongs
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

}  // namespace
}  // namespace znsim
