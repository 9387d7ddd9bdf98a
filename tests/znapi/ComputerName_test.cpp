// Computer names: the forms every connection is opened with.
#include <gtest/gtest.h>

#include <string>

#include "ComputerName.h"

namespace znapi::detail {
namespace {

TEST(ParseComputerName, AcceptsTheDocumentedForms) {
  const std::pair<const char*, ServerAddress> cases[] = {
      {"   ", {"127.0.0.1", 20222}},           {" scada1 ", {"scada1", 20222}},
      {"10.0.0.5:65535", {"10.0.0.5", 65535}}, {"[::1]:20223", {"::1", 20223}},
      {"[fe80::1]", {"fe80::1", 20222}},       {"::1", {"::1", 20222}}};
  for (const auto& [name, address] : cases) {
    EXPECT_EQ(ParseComputerName(name), address) << name;
  }
  for (const char* name : {"host:", ":20222", "host:0", "host:65536", "host:12ab", "[::1",
                           "[]:20222", "[::1]20222", "host:99999999999999999999"}) {
    EXPECT_FALSE(ParseComputerName(name).has_value()) << name;
  }
  EXPECT_EQ(AddressText({"::1", 20223}), "[::1]:20223") << "as a reason names it";
}

}  // namespace
}  // namespace znapi::detail
