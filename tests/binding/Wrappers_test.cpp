// CallServerFunction and ReadTagValue: how the fixed result buffer becomes a program value.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "FakeZnApi.h"
#include "basZNAPI.h"

namespace {

using binding::kFalse;
using binding::kTrue;
using binding::TagValue;

class WrappersTest : public ::testing::Test {
 protected:
  WrappersTest() : module(api) {
    api.server("scada");
    h = api.znOpen("scada", "", "", 0);
    api.calls.clear();
  }

  fake::FakeZnApi api;
  binding::basZNAPI module;
  std::int32_t h = 0;
};

TEST_F(WrappersTest, ServerFunctionResultIsCutAtTheFirstNulOrTakenWhole) {
  const std::pair<std::string, std::string> cases[] = {
      {std::string("abc\0def", 7), "abc"},
      {std::string(255, 'z'), std::string(255, 'z')},  // the library leaves no NUL
      {std::string(300, 'x'), std::string(255, 'x')},  // and never writes past 255
  };
  for (const auto& [answer, expected] : cases) {
    api.server("scada").zncode = [&](const std::string&) { return answer; };
    std::string result = "previous";
    EXPECT_EQ(module.CallServerFunction(h, "F()", result), kTrue) << answer.size();
    EXPECT_EQ(result, expected) << answer.size();
  }
  EXPECT_EQ(api.callsOf("znZncode").at(0).args,
            (std::vector<std::string>{std::to_string(h), "F()", "0", "0", "255", "0"}));

  // A failed call still stores what the buffer holds: nothing.
  std::string result = "previous";
  api.server("scada").zncode = [](const std::string&) { return std::nullopt; };
  EXPECT_EQ(module.CallServerFunction(h, "Bad(", result), kFalse);
  EXPECT_EQ(result, "");
}

TEST_F(WrappersTest, TagValueIsANumberOrTheUnpaddedText) {
  using S = std::string;
  const auto read = [&](const S& stored) {
    api.server("scada").tags["T"] = stored;
    return module.ReadTagValue(h, "T");
  };
  const std::pair<const char*, double> numbers[] = {
      {"12.50", 12.5}, {"  -3.25 ", -3.25}, {"+4", 4}, {".5", 0.5}, {"5.", 5}, {"1.5E+3", 1500}};
  for (const auto& [text, number] : numbers) EXPECT_EQ(read(text), TagValue(number)) << text;
  for (const char* text : {"RUN", "   ", "1,5", ".", "-", "1 2", "0x10", "inf", "1e", "1e999"}) {
    EXPECT_EQ(read(text), TagValue(S(text))) << "'" << text << "'";
  }
  // The value ends at the first NUL, or at the buffer's end when there is none.
  EXPECT_EQ(read(S("42\0xyz", 6)), TagValue(42.0));
  EXPECT_EQ(read(S(400, 'b')), TagValue(S(255, 'b')));
  EXPECT_EQ(api.callsOf("znTagRead").at(0).args,
            (std::vector<std::string>{std::to_string(h), "T", "255"}));
}

TEST_F(WrappersTest, NoValueWithoutAHandleFailedReadOrLibrary) {
  api.server("scada").tags["T"] = "1";
  EXPECT_EQ(module.ReadTagValue(0, "T"), TagValue{});
  EXPECT_TRUE(api.calls.empty());
  EXPECT_EQ(module.ReadTagValue(h, "Missing"), TagValue{});
  api.missingLibrary = "Cannot load libznapi.so: gone";
  EXPECT_EQ(module.ReadTagValue(h, "T"), TagValue{});
}

}  // namespace
