// Computer names and deadline overrides: the small rules every connection depends on.
#include <gtest/gtest.h>

#include <string>

#include "ComputerName.h"
#include "Deadlines.h"

namespace znapi::detail {
namespace {

TEST(ParseComputerName, AcceptsTheDocumentedForms) {
  const std::pair<const char*, ServerAddress> cases[] = {
      {"", {"127.0.0.1", 20222}},      {"   ", {"127.0.0.1", 20222}},
      {" scada1 ", {"scada1", 20222}}, {"scada1:20223", {"scada1", 20223}},
      {"10.0.0.5:1", {"10.0.0.5", 1}}, {"10.0.0.5:65535", {"10.0.0.5", 65535}},
      {"[::1]:20223", {"::1", 20223}}, {"[fe80::1]", {"fe80::1", 20222}},
      {"::1", {"::1", 20222}}};
  for (const auto& [name, address] : cases) {
    EXPECT_EQ(ParseComputerName(name), address) << name;
  }
  for (const char* name :
       {"host:", ":20222", "host:0", "host:65536", "host:12ab", "host:-1", "[::1", "[]:20222",
        "[::1]20222", "[::1]:", "[::1]:x", "host:99999999999999999999"}) {
    EXPECT_FALSE(ParseComputerName(name).has_value()) << name;
  }
}

TEST(ParseMilliseconds, TakesOnlyPositiveWholeNumbers) {
  const std::chrono::milliseconds fallback{3000};
  EXPECT_EQ(ParseMilliseconds("250", fallback).count(), 250);
  EXPECT_EQ(ParseMilliseconds("999999999999", fallback).count(), 24LL * 3600 * 1000) << "capped";
  for (const char* text : {static_cast<const char*>(nullptr), "", "0", "-5", "12x", " 12", "1.5",
                           "99999999999999999999"}) {
    EXPECT_EQ(ParseMilliseconds(text, fallback), fallback) << (text ? text : "(null)");
  }
}

}  // namespace
}  // namespace znapi::detail
