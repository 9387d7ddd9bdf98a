#include "ScriptFunctions.h"

#include <gtest/gtest.h>

#include "ScriptParser.h"
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
  TagStore tags{project, db, "alpha"};
  Millis now = *ParseLocalDateTime("04/05/2005", "04:00:24");
};

TEST_F(ScriptFunctionsTest, AnswersTheBuiltInFunctions) {
  const std::pair<const char*, const char*> cases[] = {
      {"time( 1 )", "04:00:24"},
      {"Date(1)", "04/05/2005"},
      {"TagRead(MODE)", "AUTO"},
      {"TagWrite(\"LEVEL\", 2.50)", "2.5"},
      {"TagWrite(\"MODE\", TagRead(\"COUNT\"))", "7"},
      {"TagWrite ( MODE , \"say \"\"hi\"\"\" )", "say \"hi\""}};
  for (const auto& [text, result] : cases) {
    const auto outcome = Run(text);
    EXPECT_TRUE(outcome.ok) << text << ": " << outcome.error;
    EXPECT_EQ(outcome.result, result) << text;
  }
}

TEST_F(ScriptFunctionsTest, FailsCleanlyOnMalformedTextAndBadCalls) {
  const char* bad[] = {
      // Malformed text.
      "", "Time", "Time(1", "Time(1))", "Time(1,)", "TagRead(\"T)", "Time(1 2)", "Time(@)",
      // Calls that cannot run: unknown names, wrong argument counts, values that do not fit.
      "Nope(1)", "Time(1, 2)", "TagRead()", "TagRead(\"NOSUCH\")", "TagWrite(\"LEVEL\", \"abc\")",
      "TagWrite(\"PUMP\", 2)", "Sleep(-5)", "Time(Nope(1))", "Time(Sleep(40000), Sleep(40000))",
      // Calls that fail after an argument wrote a tag, or would have.
      "Time(TagWrite(\"LEVEL\", 9), 1)", "TagWrite(TagWrite(\"MODE\", \"LEVEL\"), \"abc\")",
      "Sleep(TagWrite(\"MODE\", \"abc\"))", "Date(TagWrite(\"COUNT\", 3), Nope(1))",
      "TagWrite(\"COUNT\", TagWrite(\"LEVEL\", 9), 1)"};
  for (const char* text : bad) {
    const auto outcome = Run(text);
    EXPECT_FALSE(outcome.ok) << text;
    EXPECT_FALSE(outcome.error.empty()) << text;
    EXPECT_EQ(outcome.delay, 0) << text << ": a refused call asks for no delay";
    EXPECT_EQ(tags.Read("LEVEL", now), "5") << text << ": a failed call writes nothing";
    EXPECT_EQ(tags.Read("MODE", now), "AUTO") << text;
    EXPECT_EQ(tags.Read("COUNT", now), "7") << text;
  }
  // The errors carry the facts a client needs to correct the text.
  const std::pair<const char*, const char*> errors[] = {
      {"Time(TagWrite(\"LEVEL\", 9), 1)", "Time takes 0 to 1 argument(s)"},
      {"Time(@)", "syntax error at character 5 of 'Time(@)': an argument was expected"},
      {"TagWrite(\"PUMP\", 2)", "'2' is not 0 or 1 (tag PUMP is Digital)"},
      {"TagWrite(\"NOSUCH\", 2)", "unknown tag 'NOSUCH'"}};
  for (const auto& [text, error] : errors) EXPECT_EQ(Run(text).error, error);
}

TEST_F(ScriptFunctionsTest, WritesOfOneCallAreSeenByItsLaterReadsAndCommittedTogether) {
  const auto read = Run("TagWrite(TagWrite(\"MODE\", \"MODE\"), TagRead(MODE))");
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.result, "MODE") << "the read saw the write before it, not the stored AUTO";
  const auto two = Run("TagWrite(TagWrite(\"MODE\", \"LEVEL\"), TagRead(COUNT))");
  ASSERT_TRUE(two.ok) << two.error;
  Database reopened{dir / "s.db"};
  const TagStore stored(project, reopened, "alpha");
  EXPECT_EQ(stored.Read("MODE", now), "LEVEL") << "on disk";
  EXPECT_EQ(stored.Read("LEVEL", now), "7");
}

TEST(QuickScripts, OnlyShortTextsThatWriteNothingAreQuick) {
  const std::pair<std::string, bool> cases[] = {
      {"Time(1)", true},
      {"TagRead(\"LIT101\")", true},
      {"Time(", true},  // fails at once
      {"TagRead(\"TagWrite\")", true},
      {"tagwrite(\"VISITORS\", 0)", false},
      {"Date(Time(TAGWRITE(VISITORS, 1)))", false},
      {"Time(" + std::string(kQuickScriptBytes, ' ') + ")", false}};
  for (const auto& [text, quick] : cases) EXPECT_EQ(IsQuickScript(text), quick) << text;
}

TEST_F(ScriptFunctionsTest, NestingDeepEnoughToExhaustTheStackIsRefused) {
  std::string ok;
  for (int i = 0; i < kMaxCallDepth - 1; ++i) ok += "Date(";
  EXPECT_EQ(Run(ok + "1" + std::string(kMaxCallDepth - 1, ')')).result, "04/05/2005");
  std::string hostile;
  for (int i = 0; i < 100000; ++i) hostile += "A(";
  EXPECT_FALSE(Run(hostile).ok);
}

TEST_F(ScriptFunctionsTest, SleepOnlyAsksForADelayAndIsCapped) {
  EXPECT_EQ(Run("Sleep(250)").delay, 250);
  EXPECT_EQ(Run("Sleep(1e12)").delay, kMaxSleepMillis);
  EXPECT_EQ(Run("Date(Sleep(40000))").delay, 40000);
}

}  // namespace
}  // namespace znsim
