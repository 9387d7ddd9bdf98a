// The ports that tests hold while their servers come and go: no server that asks for any free
// port is given one, a server started on one shares it, and once it is gone the port refuses.
#include <gtest/gtest.h>

#include <fstream>

#include "HeldPort.h"
#include "Isolation.h"
#include "RawClient.h"
#include "ZnsimProcess.h"

namespace {

using testing_support::HeldPort;
using testing_support::ZnsimProcess;

TEST(HeldPort, NoServerAskingForAFreePortGetsAHeldOneAndAServerOnItLeavesItRefused) {
  // In a network of the test's own the system has only the held port to give.
  testing_support::RunInOwnNetwork("198.51.100.7", [] {
    const HeldPort held;
    const std::string only = std::to_string(held.port());
    const char* const range = "/proc/sys/net/ipv4/ip_local_port_range";
    std::string first, last;
    std::ifstream(range) >> first >> last;
    std::ofstream(range) << only << " " << only;
    testing_support::TempDir data;
    const auto other = testing_support::RunUntilExitOrReady(
        {testing_support::ZnsimPath(), "--listen", "127.0.0.1:0", "--data", data.path},
        "znsim listening on ");
    EXPECT_FALSE(other.started) << "another server took the held port " << only;
    std::ofstream(range) << first << " " << last;  // clients need ports of their own

    ZnsimProcess server({}, {}, held.port());
    simtest::RawClient client(held.port());
    EXPECT_TRUE(client.Login());
    server.kill9();
    EXPECT_THROW(simtest::RawClient(held.port()), std::exception) << "refused once it is gone";
  });
}

}  // namespace
