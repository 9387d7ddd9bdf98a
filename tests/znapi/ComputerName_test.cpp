// Computer names: the forms every connection is opened with, and which addresses count as this
// computer's own when a name without a scheme decides between TLS and plain TCP.
#include <gtest/gtest.h>

#include <string>

#include "ComputerName.h"
#include "LoopbackAddress.h"

namespace znapi::detail {
namespace {

TEST(ParseComputerName, AcceptsTheDocumentedForms) {
  constexpr auto kTls = Transport::Tls;
  constexpr auto kPlain = Transport::Plain;
  const std::pair<const char*, ServerAddress> cases[] = {
      {"   ", {"127.0.0.1", 20222}},
      {" scada1 ", {"scada1", 20222}},
      {"10.0.0.5:65535", {"10.0.0.5", 65535}},
      {"[::1]:20223", {"::1", 20223}},
      {"[fe80::1]", {"fe80::1", 20222}},
      {"::1", {"::1", 20222}},
      {"tls://scada1", {"scada1", 20222, kTls}},
      {" TLS://[::1]:20223 ", {"::1", 20223, kTls}},
      {"tls://10.0.0.5:20223", {"10.0.0.5", 20223, kTls}},
      {"plain://scada1", {"scada1", 20222, kPlain}},
      {"Plain://[fe80::1]:20223", {"fe80::1", 20223, kPlain}}};
  for (const auto& [name, address] : cases) {
    EXPECT_EQ(ParseComputerName(name), address) << name;
  }
  for (const char* name :
       {"host:", ":20222", "host:0", "host:65536", "host:12ab", "[::1", "[]:20222", "[::1]20222",
        "host:99999999999999999999", "tls:/host", "tls://host:", "tls://[::1", "plain:/host",
        "plain://host:", "plain://tls://host"}) {
    EXPECT_FALSE(ParseComputerName(name).has_value()) << name;
  }
  EXPECT_EQ(AddressText({"::1", 20223}), "[::1]:20223") << "as a reason names it";
}

TEST(IsLoopback, OnlyThisComputersOwnAddressesInEitherFamily) {
  const std::pair<const char*, bool> cases[] = {{"127.0.0.1", true},
                                                {"127.255.1.2", true},
                                                {"::1", true},
                                                {"::ffff:127.0.0.1", true},
                                                {"::ffff:127.9.9.9", true},
                                                {"192.0.2.1", false},
                                                {"::ffff:192.0.2.1", false},
                                                {"fd00::2", false},
                                                {"fe80::1", false},
                                                {"0.0.0.0", false},
                                                {"::", false},
                                                {"128.0.0.1", false}};
  for (const auto& [text, loopback] : cases) {
    EXPECT_EQ(IsLoopback(asio::ip::make_address(text)), loopback) << text;
  }
}

}  // namespace
}  // namespace znapi::detail
