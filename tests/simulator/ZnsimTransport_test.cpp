// Which connections a znsim serving TLS lets in: plain ones by the rules, and TLS ones under
// the same admission limits and deadlines as plain ones, from the handshake on.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "RawClient.h"
#include "TestCertificates.h"
#include "ZnsimProcess.h"

namespace {

using namespace std::chrono_literals;
using simtest::RawClient;
using testing_support::ZnsimProcess;
using Clock = std::chrono::steady_clock;

// The start of a TLS handshake record: what a client that stalls in its handshake sends.
const std::string kHandshakeStart("\x16\x03\x01\x00\x80", 5);

// An IPv4 address of this computer that is not a loopback one, to connect from.
std::optional<std::string> OtherLocalAddress() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return std::nullopt;
  std::optional<std::string> found;
  for (ifaddrs* entry = list; entry && !found; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    if ((ntohl(address->sin_addr.s_addr) >> 24) == 127) continue;
    char text[INET_ADDRSTRLEN];
    found = inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
  }
  freeifaddrs(list);
  return found;
}

class ZnsimTransport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pki_ = std::make_unique<testing_support::TempDir>("znsim-tls-");
    tls_ = testing_support::MakeServerCertificate(pki_->path).ServeArgs();
  }
  static void TearDownTestSuite() { pki_.reset(); }
  static std::vector<std::string> Tls(std::vector<std::string> more) {
    auto args = tls_;
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  static inline std::unique_ptr<testing_support::TempDir> pki_;
  static inline std::vector<std::string> tls_;
};

TEST_F(ZnsimTransport, PlainLoginsFromOtherComputersOnlyWhenAllowed) {
  const auto other = OtherLocalAddress();
  if (!other) GTEST_SKIP() << "this computer has no address but loopback";
  for (const bool allowed : {false, true}) {
    SCOPED_TRACE(allowed ? "--allow-plaintext" : "by default");
    ZnsimProcess server(allowed ? std::vector<std::string>{"--allow-plaintext"}
                                : std::vector<std::string>{});
    RawClient remote(server.port(), other->c_str());
    EXPECT_EQ(remote.Login(), allowed);
    RawClient local(server.port());
    EXPECT_TRUE(local.Login()) << "this computer's own clients are always served";
    // A line comes within two seconds; one that should come is given ten times as long.
    EXPECT_EQ(server.logShows("connection refused: a plain-text login from another computer",
                              allowed ? 3s : 30s),
              !allowed);
  }
}

TEST_F(ZnsimTransport, ATlsOnlyServerRefusesPlainAtOnce) {
  ZnsimProcess server(Tls({"--tls-only"}));
  RawClient plain(server.port());
  const auto start = Clock::now();
  EXPECT_FALSE(plain.Login());
  EXPECT_LT(Clock::now() - start, 2s);
}

TEST_F(ZnsimTransport, AStalledHandshakeEndsAtTheLoginDeadline) {
  ZnsimProcess server(tls_);
  RawClient stalled(server.port());
  stalled.SendBytes(kHandshakeStart);
  const auto start = Clock::now();
  EXPECT_FALSE(stalled.ClosedByPeer(1s)) << "not before its login deadline";
  EXPECT_TRUE(stalled.ClosedByPeer(60s));
  EXPECT_GE(Clock::now() - start, 3s) << "the deadline is 5 s from the connection";
}

TEST_F(ZnsimTransport, HandshakesInProgressCountAsNotLoggedIn) {
  ZnsimProcess server(Tls({"--max-unauthenticated", "2"}));
  std::vector<std::unique_ptr<RawClient>> stalled;
  for (int i = 0; i < 3; ++i) {
    stalled.push_back(std::make_unique<RawClient>(server.port()));
    stalled.back()->SendBytes(kHandshakeStart);
  }
  EXPECT_TRUE(stalled.front()->ClosedByPeer(3s)) << "the oldest was evicted for the third";
  EXPECT_FALSE(stalled.back()->ClosedByPeer(500ms));
}

}  // namespace
