// Which computer names carry a password in clear: what crosses the wire to a server at an
// address that is not this computer's (in a network of the test's own), and which loopback
// forms stay plain TCP, IPv4 mapped into IPv6 included.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "CapturingRelay.h"
#include "Isolation.h"
#include "LibraryTestSupport.h"
#include "TestCertificates.h"

namespace znapi::testing {
namespace {

using testing_support::CapturingRelay;
using testing_support::MakeServerCertificate;
using testing_support::RunInOwnNetwork;
using testing_support::TempDir;
using testing_support::ZnsimProcess;

// A documentation address: in the test's own network it is the "other computer".
constexpr const char* kElsewhere = "198.51.100.7";

// The first bytes of a capture in hex, as a report quotes them.
std::string Head(const std::string& bytes) {
  std::string hex;
  for (std::size_t i = 0; i < bytes.size() && i < 6; ++i) {
    char text[4];
    std::snprintf(text, sizeof text, "%02x ", static_cast<unsigned char>(bytes[i]));
    hex += text;
  }
  return hex;
}

class SecureDefault : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pki_ = std::make_unique<TempDir>("znapi-tls-");
    serveArgs_ = MakeServerCertificate(pki_->path, std::string("IP:") + kElsewhere).ServeArgs();
    setenv("ZNAPI_TLS_CA", (pki_->path + "/ca.pem").c_str(), 1);
  }
  static void TearDownTestSuite() {
    unsetenv("ZNAPI_TLS_CA");
    pki_.reset();
  }
  static inline std::unique_ptr<TempDir> pki_;
  static inline std::vector<std::string> serveArgs_;
};

// Only plain:// puts the user and the password on the wire; a name without a scheme is TLS
// to another computer, exactly as tls:// is.
TEST_F(SecureDefault, OnlyPlainCarriesThePasswordInClearToAnotherComputer) {
  RunInOwnNetwork(kElsewhere, [] {
    ZnsimProcess server(serveArgs_);
    for (const std::string scheme : {"", "tls://", "plain://"}) {
      SCOPED_TRACE("'" + scheme + "'");
      CapturingRelay relay(kElsewhere, server.port());
      const std::string name = scheme + kElsewhere + ":" + std::to_string(relay.port());
      const int32_t h = znOpen(name.c_str(), kUser, kPassword, 0);
      ASSERT_GT(h, 0) << LastError();
      EXPECT_TRUE(ReadTag(h, "LIT101").has_value());
      znClose(h);
      const std::string wire = relay.captured();
      const bool clear = scheme == "plain://";
      const bool password = wire.find(kPassword) != std::string::npos;
      std::printf("[ capture  ] %-24s %zu bytes, starting %s; password %s, user %s\n", name.c_str(),
                  wire.size(), Head(wire).c_str(), password ? "seen" : "not seen",
                  wire.find(kUser) != std::string::npos ? "seen" : "not seen");
      EXPECT_EQ(password, clear);
      EXPECT_EQ(wire.find(kUser) != std::string::npos, clear);
      ASSERT_GT(wire.size(), 3u);
      EXPECT_EQ(wire[0] == '\x16' && wire[1] == '\x03', !clear) << "a TLS handshake record";
    }
  });
}

TEST_F(SecureDefault, AServerWithoutTlsElsewhereIsRefusedWithThePlainForm) {
  RunInOwnNetwork(kElsewhere, [] {
    ZnsimProcess server({"--allow-plaintext"}, {}, 0, kElsewhere);
    EXPECT_EQ(OpenTo(server), 0);
    EXPECT_NE(LastError().find("a server without TLS is reached as plain://" + server.address() +
                               ", which sends the password in clear"),
              std::string::npos)
        << LastError();
    const int32_t h = znOpen(("plain://" + server.address()).c_str(), kUser, kPassword, 0);
    EXPECT_GT(h, 0) << LastError();
    znClose(h);
  });
}

// A server on a dual-stack IPv6 socket sees this computer's IPv4 clients as ::ffff:127.0.0.1:
// it serves them in plain TCP as its own, and the library takes every loopback form for this
// computer.
TEST_F(SecureDefault, LoopbackFormsStayPlainOnADualStackServer) {
  ZnsimProcess server({}, {}, 0, "::");
  const std::string port = std::to_string(server.port());
  for (const std::string& name :
       {"127.0.0.1:" + port, "[::1]:" + port, "[::ffff:127.0.0.1]:" + port, "localhost:" + port}) {
    SCOPED_TRACE(name);
    const int32_t h = znOpen(name.c_str(), kUser, kPassword, 0);
    EXPECT_GT(h, 0) << LastError();
    EXPECT_TRUE(ReadTag(h, "LIT101").has_value());
    znClose(h);
  }
}

}  // namespace
}  // namespace znapi::testing
