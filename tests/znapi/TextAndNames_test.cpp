// Computer names and deadline overrides: the small rules every connection depends on.
#include <gtest/gtest.h>

#include <string>

#include "ComputerName.h"
#include "Deadlines.h"

namespace znapi::detail {
namespace {

TEST(ParseComputerName, AcceptsTheDocumentedForms) {
  struct Case {
    const char* name;
    std::string host;
    std::uint16_t port;
  };
  const Case cases[] = {
      {"", "127.0.0.1", 20222},
      {"   ", "127.0.0.1", 20222},
      {"scada1", "scada1", 20222},
      {" scada1 ", "scada1", 20222},
      {"scada1:20223", "scada1", 20223},
      {"10.0.0.5:1", "10.0.0.5", 1},
      {"10.0.0.5:65535", "10.0.0.5", 65535},
      {"[::1]:20223", "::1", 20223},
      {"[fe80::1]", "fe80::1", 20222},
      {"::1", "::1", 20222},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseComputerName(c.name);
    ASSERT_TRUE(parsed.has_value()) << c.name;
    EXPECT_EQ(*parsed, (ServerAddress{c.host, c.port})) << c.name;
  }
}

TEST(ParseComputerName, RefusesMalformedNames) {
  for (const char* name :
       {"host:", ":20222", "host:0", "host:65536", "host:12ab", "host:-1", "[::1", "[]:20222",
        "[::1]20222", "[::1]:", "[::1]:x", "host:99999999999999999999"}) {
    EXPECT_FALSE(ParseComputerName(name).has_value()) << name;
  }
}

TEST(ParseMilliseconds, TakesOnlyPositiveWholeNumbers) {
  using std::chrono::milliseconds;
  const milliseconds fallback{3000};
  struct Case {
    const char* text;
    long long expected;
  };
  const Case cases[] = {
      {nullptr, 3000},
      {"", 3000},
      {"250", 250},
      {"0", 3000},
      {"-5", 3000},
      {"12x", 3000},
      {" 12", 3000},
      {"1.5", 3000},
      {"99999999999999999999", 3000},  // overflows: ignored, not wrapped
      {"999999999999", 24LL * 3600 * 1000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseMilliseconds(c.text, fallback).count(), c.expected)
        << (c.text ? c.text : "(null)");
  }
}

}  // namespace
}  // namespace znapi::detail
