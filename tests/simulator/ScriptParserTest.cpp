#include "ScriptParser.h"

#include <gtest/gtest.h>

namespace znsim {
namespace {

// Well-formed calls are read through the script functions that run them.
TEST(ScriptParser, RefusesMalformedText) {
  const char* bad[] = {
      "",              // nothing
      "Time",          // no parentheses
      "Time(1",        // unclosed
      "Time(1))",      // text after the call
      "Time(1,)",      // missing argument
      "Time(,1)",      // missing argument
      "TagRead(\"T)",  // unterminated string
      "5",             // not a call
      "Time(1 2)",     // missing comma
      "Time(-)",       // sign without digits
      "Time(1e)",      // exponent without digits
      "(1)",           // no name
      "Time(@)",       // stray character
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
  EXPECT_TRUE(ParseCall(ok + "1" + std::string(kMaxCallDepth - 1, ')')).call);
  std::string hostile;
  for (int i = 0; i < 100000; ++i) hostile += "A(";
  EXPECT_FALSE(ParseCall(hostile).call);
}

}  // namespace
}  // namespace znsim
