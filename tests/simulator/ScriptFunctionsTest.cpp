#include "ScriptFunctions.h"

#include <gtest/gtest.h>

#include "SmallProject.h"

namespace znsim {
namespace {

class ScriptFunctionsTest : public ::testing::Test {
 protected:
  ScriptOutcome Run(const std::string& text) {
    ScriptContext context{tags, "unit", now};
    return RunScript(text, context);
  }
  simtest::TempDir dir;
  Project project = simtest::SmallProject();
  Database db{dir / "s.db"};
  TagStore tags{project, db};
  Millis now = *ParseLocalDateTime("04/05/2005", "04:00:24");
};

TEST_F(ScriptFunctionsTest, AnswersTheBuiltInFunctions) {
  const std::pair<const char*, const char*> cases[] = {
      {"Time(1)", "04:00:24"},
      {"time( 1 )", "04:00:24"},
      {"Date(1)", "04/05/2005"},
      {"TagRead(\"COUNT\")", "7"},
      {"TagRead(MODE)", "AUTO"},
      {"TagWrite(\"LEVEL\", 2.50)", "2.5"},
      {"TagWrite(\"MODE\", TagRead(\"COUNT\"))", "7"},
      {"TagRead(\"MODE\")", "7"},
      {"TagWrite ( MODE , \"say \"\"hi\"\"\" )", "say \"hi\""},
      {"Date(Time(Version()))", "04/05/2005"},
      {"Sleep(10)", "0"}};
  for (const auto& [text, result] : cases) {
    const auto outcome = Run(text);
    EXPECT_TRUE(outcome.ok) << text << ": " << outcome.error;
    EXPECT_EQ(outcome.result, result) << text;
  }
  EXPECT_EQ(Run("Version()").result.rfind("znsim ", 0), 0u);
}

TEST_F(ScriptFunctionsTest, FailsCleanlyOnBadCalls) {
  const char* bad[] = {
      "Nope(1)",                       // unknown function
      "Time(1, 2)",                    // too many arguments
      "TagRead()",                     // too few
      "TagRead(\"NOSUCH\")",           // unknown tag
      "TagWrite(\"LEVEL\", \"abc\")",  // does not fit a real
      "TagWrite(\"PUMP\", 2)",         // does not fit a digital
      "TagWrite(\"NOSUCH\", 1)",
      "Sleep(-5)",
      "Sleep(\"soon\")",
      "Time(Nope(1))",  // failure inside a nested call
      "Time(Sleep(40000), Sleep(40000))",
  };
  for (const char* text : bad) {
    const auto outcome = Run(text);
    EXPECT_FALSE(outcome.ok) << text;
    EXPECT_FALSE(outcome.error.empty()) << text;
    EXPECT_EQ(outcome.delay, 0) << text << ": a refused call asks for no delay";
  }
  EXPECT_EQ(tags.Read("LEVEL", now), "5") << "a refused write leaves the value alone";
}

TEST_F(ScriptFunctionsTest, SleepOnlyAsksForADelayAndIsCapped) {
  EXPECT_EQ(Run("Sleep(250)").delay, 250);
  EXPECT_EQ(Run("Sleep(1e12)").delay, kMaxSleepMillis);
  EXPECT_EQ(Run("Date(Sleep(40000))").delay, 40000);
}

}  // namespace
}  // namespace znsim
