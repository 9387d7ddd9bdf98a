#include <gtest/gtest.h>

#include "ScriptParser.h"

namespace znsim {
namespace {

TEST(ScriptParser, ReadsEveryArgumentKind) {
  const auto parsed = ParseCall(R"(  TagWrite ( "Tank ""A""" , -2.5e3, WORD_1, Time(1) ) )");
  ASSERT_TRUE(parsed.call) << parsed.error;
  const Call& call = *parsed.call;
  EXPECT_EQ(call.name, "TagWrite");
  ASSERT_EQ(call.arguments.size(), 4u);
  EXPECT_EQ(call.arguments[0].kind, Argument::Kind::String);
  EXPECT_EQ(call.arguments[0].text, "Tank \"A\"");
  EXPECT_EQ(call.arguments[1].kind, Argument::Kind::Number);
  EXPECT_EQ(call.arguments[1].text, "-2.5e3");
  EXPECT_EQ(call.arguments[2].kind, Argument::Kind::Word);
  EXPECT_EQ(call.arguments[2].text, "WORD_1");
  ASSERT_EQ(call.arguments[3].kind, Argument::Kind::Call);
  EXPECT_EQ(call.arguments[3].call->name, "Time");
  EXPECT_EQ(call.arguments[3].call->arguments.at(0).text, "1");
}

TEST(ScriptParser, KeepsThePeriodOfATrendQueryAsTyped) {
  const auto parsed = ParseCall(R"(ZNAPITrend("04:00:24","04/05/2005", 2.5 , 300, 0, TREND1))");
  ASSERT_TRUE(parsed.call) << parsed.error;
  ASSERT_EQ(parsed.call->arguments.size(), 6u);
  EXPECT_EQ(parsed.call->arguments[2].text, "2.5");
  EXPECT_EQ(parsed.call->arguments[5].kind, Argument::Kind::Word);
  EXPECT_EQ(parsed.call->arguments[5].text, "TREND1");
}

TEST(ScriptParser, AcceptsEmptyArgumentLists) {
  const auto parsed = ParseCall("Version()");
  ASSERT_TRUE(parsed.call);
  EXPECT_TRUE(parsed.call->arguments.empty());
}

TEST(ScriptParser, RefusesMalformedText) {
  const char* bad[] = {
      "",                 // nothing
      "Time",             // no parentheses
      "Time(1",           // unclosed
      "Time(1))",         // text after the call
      "Time(1,)",         // missing argument
      "Time(,1)",         // missing argument
      "TagRead(\"T)",     // unterminated string
      "5",                // not a call
      "\"T\"",            // not a call
      "Time(1) Date(1)",  // two calls
      "Time(1 2)",        // missing comma
      "Time(-)",          // sign without digits
      "Time(1e)",         // exponent without digits
      "(1)",              // no name
      "Time(@)",          // stray character
  };
  for (const char* text : bad) {
    const auto parsed = ParseCall(text);
    EXPECT_FALSE(parsed.call) << text;
    EXPECT_FALSE(parsed.error.empty()) << text;
  }
}

TEST(ScriptParser, RefusesNestingDeepEnoughToExhaustTheStack) {
  std::string ok;
  for (int i = 0; i < kMaxCallDepth - 1; ++i) ok += "A(";
  ok += "1";
  for (int i = 0; i < kMaxCallDepth - 1; ++i) ok += ")";
  EXPECT_TRUE(ParseCall(ok).call);

  std::string hostile;
  for (int i = 0; i < 100000; ++i) hostile += "A(";
  EXPECT_FALSE(ParseCall(hostile).call);
}

}  // namespace
}  // namespace znsim
