// CallServerFunction and ReadTagValue: how the fixed result buffer becomes a program value.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <variant>

#include "ConnectionTable.h"
#include "FakeZnApi.h"

namespace {

using server::basZNAPI;
using server::kFalse;
using server::kTrue;
using server::TagValue;

class WrappersTest : public ::testing::Test {
 protected:
  WrappersTest() : module(api) {
    api.server("scada");
    h = api.znOpen("scada", "", "", 0);
    api.calls.clear();
  }

  fake::FakeZnApi api;
  basZNAPI module;
  std::int32_t h = 0;
};

// --- CallServerFunction ---

TEST_F(WrappersTest, ServerFunctionPassesTheFixedArguments) {
  std::string result;
  api.server("scada").zncode = [](const std::string&) { return std::string("42"); };
  EXPECT_EQ(module.CallServerFunction(h, "Version()", result), kTrue);
  EXPECT_EQ(result, "42");
  const auto call = api.callsOf("znZncode").at(0);
  EXPECT_EQ(call.args,
            (std::vector<std::string>{std::to_string(h), "Version()", "0", "0", "255", "0"}));
}

TEST_F(WrappersTest, ServerFunctionResultIsCutAtTheFirstNulOrTakenWhole) {
  struct Case {
    std::string answer;
    std::string expected;
  };
  const std::string full(300, 'x');
  const Case cases[] = {
      {"", ""},
      {std::string("abc\0def", 7), "abc"},
      {std::string(254, 'y'), std::string(254, 'y')},
      {std::string(255, 'z'), std::string(255, 'z')},  // the library leaves no NUL
      {full, std::string(255, 'x')},                   // and never writes past 255
  };
  for (const auto& c : cases) {
    api.server("scada").zncode = [&](const std::string&) { return c.answer; };
    std::string result = "previous";
    EXPECT_EQ(module.CallServerFunction(h, "F()", result), kTrue) << c.answer.size();
    EXPECT_EQ(result, c.expected) << c.answer.size();
  }
}

TEST_F(WrappersTest, FailedServerFunctionStillStoresWhatTheBufferHolds) {
  std::string result = "previous";
  api.server("scada").zncode = [](const std::string&) { return std::nullopt; };
  EXPECT_EQ(module.CallServerFunction(h, "Bad(", result), kFalse);
  EXPECT_EQ(result, "");
}

TEST_F(WrappersTest, ServerFunctionTrapsLibraryErrorsAndKeepsTheCallersText) {
  std::string result = "previous";
  api.missingLibrary = "Entry point znZncode not found in libznapi.so";
  EXPECT_EQ(module.CallServerFunction(h, "Time(1)", result), kFalse);
  EXPECT_EQ(result, "previous");
}

// --- ReadTagValue ---

struct ReadCase {
  const char* name;
  std::string stored;
  TagValue expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

class ReadTagValueCases : public WrappersTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadTagValueCases, GiveANumberOrTheUnpaddedText) {
  api.server("scada").tags["T"] = GetParam().stored;
  const TagValue v = module.ReadTagValue(h, "T");
  EXPECT_EQ(v, GetParam().expected);
  if (const auto* text = std::get_if<std::string>(&v)) {
    EXPECT_EQ(text->find('\0'), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Wrappers, ReadTagValueCases,
    ::testing::Values(
        ReadCase{"Decimal", "12.5", 12.5}, ReadCase{"TrailingZero", "12.50", 12.5},
        ReadCase{"LeadingZeros", "007", 7.0}, ReadCase{"SpacesAndSign", "  -3.25 ", -3.25},
        ReadCase{"PlusSign", "+4", 4.0}, ReadCase{"PointFirst", ".5", 0.5},
        ReadCase{"PointLast", "5.", 5.0}, ReadCase{"Exponent", "1.5E+3", 1500.0},
        ReadCase{"Zero", "0", 0.0}, ReadCase{"Word", "RUN", std::string("RUN")},
        ReadCase{"Empty", "", std::string()}, ReadCase{"OnlySpaces", "   ", std::string("   ")},
        ReadCase{"CommaDecimal", "1,5", std::string("1,5")},
        ReadCase{"TwoPoints", "1.2.3", std::string("1.2.3")},
        ReadCase{"LonePoint", ".", std::string(".")}, ReadCase{"LoneSign", "-", std::string("-")},
        ReadCase{"InnerSpace", "1 2", std::string("1 2")},
        ReadCase{"Trailer", "12abc", std::string("12abc")},
        ReadCase{"Hex", "0x10", std::string("0x10")},
        ReadCase{"Infinity", "inf", std::string("inf")},
        ReadCase{"NotANumber", "nan", std::string("nan")},
        ReadCase{"BareExponent", "1e", std::string("1e")},
        ReadCase{"OutOfRange", "1e999", std::string("1e999")},
        ReadCase{"NumberBeforeNul", std::string("42\0xyz", 6), 42.0},
        ReadCase{"TextBeforeNul", std::string("ON\0 99", 6), std::string("ON")},
        ReadCase{"FullBufferNoNul", std::string(255, 'a'), std::string(255, 'a')},
        ReadCase{"LongerThanTheBuffer", std::string(400, 'b'), std::string(255, 'b')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WrappersTest, TagReadPassesTheBufferLength) {
  api.server("scada").tags["T"] = "1";
  module.ReadTagValue(h, "T");
  EXPECT_EQ(api.callsOf("znTagRead").at(0).args,
            (std::vector<std::string>{std::to_string(h), "T", "255"}));
}

TEST_F(WrappersTest, NoValueWithoutAHandleFailedReadOrLibrary) {
  api.server("scada").tags["T"] = "1";
  EXPECT_EQ(module.ReadTagValue(0, "T"), TagValue{});
  EXPECT_TRUE(api.calls.empty());

  EXPECT_EQ(module.ReadTagValue(h, "Missing"), TagValue{});

  api.server("scada").up = false;
  EXPECT_EQ(module.ReadTagValue(h, "T"), TagValue{});

  api.server("scada").up = true;
  api.missingLibrary = "Cannot load libznapi.so: gone";
  EXPECT_EQ(module.ReadTagValue(h, "T"), TagValue{});
}

}  // namespace
