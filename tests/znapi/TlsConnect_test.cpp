// Opening TLS connections to real znsim processes: what is trusted, what is refused and why,
// and that no refusal waits past the connect deadline.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "LastError.h"
#include "ServerConnection.h"
#include "TestCertificates.h"
#include "ZnsimProcess.h"

namespace znapi::detail {
namespace {

using namespace std::chrono_literals;
using testing_support::MakeServerCertificate;
using testing_support::ServerCertificate;
using testing_support::TempDir;
using testing_support::ZnsimProcess;
using Clock = std::chrono::steady_clock;

// A port that takes connections (the kernel completes them) but never says a word.
class SilentListener {
 public:
  SilentListener() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(fd_, 4) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      throw std::runtime_error("listen failed");
    }
    port_ = ntohs(address.sin_port);
  }
  ~SilentListener() { close(fd_); }
  std::uint16_t port() const { return port_; }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

class TlsConnect : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ours_ = std::make_unique<TempDir>("znapi-tls-");
    strangers_ = std::make_unique<TempDir>("znapi-tls-other-");
    local_ = MakeServerCertificate(ours_->path);
    elsewhere_ = MakeServerCertificate(ours_->path, "DNS:elsewhere.invalid", "elsewhere");
    stranger_ = MakeServerCertificate(strangers_->path);
  }
  static void TearDownTestSuite() {
    ours_.reset();
    strangers_.reset();
  }
  void SetUp() override { setenv("ZNAPI_TLS_CA", local_.ca.c_str(), 1); }
  void TearDown() override { unsetenv("ZNAPI_TLS_CA"); }

  // Opens a connection; on failure `why` holds the reason it recorded.
  static std::shared_ptr<ServerConnection> Open(const std::string& host, int port, bool tls,
                                                std::string& why) {
    ClearReason();
    auto connection = ServerConnection::Open({host, static_cast<std::uint16_t>(port), tls},
                                             {"Engineer", "Marlow", 0}, Deadlines{3000ms, 3000ms});
    why = Reason();
    return connection;
  }

  static inline std::unique_ptr<TempDir> ours_, strangers_;
  static inline ServerCertificate local_, elsewhere_, stranger_;
};

TEST_F(TlsConnect, TrustedCertificatesServeAddressAndNameBesidePlain) {
  ZnsimProcess server(local_.ServeArgs());
  for (const auto& [host, tls] :
       {std::pair{"127.0.0.1", true}, {"localhost", true}, {"127.0.0.1", false}}) {
    SCOPED_TRACE(std::string(host) + (tls ? " over TLS" : " plain"));
    std::string why;
    const auto connection = Open(host, server.port(), tls, why);
    ASSERT_TRUE(connection) << why;
    znwire::Request request;
    request.mutable_tag_read()->set_tag("LIT101");
    znwire::Response response;
    ASSERT_TRUE(connection->Call(request, response));
    EXPECT_TRUE(response.ok()) << response.error();
  }
}

// Each refusal comes with its reason and well before a stalled call's deadline; only the
// silent server takes the whole connect deadline, and not more.
TEST_F(TlsConnect, RefusalsNameTheirReasonWithinTheDeadline) {
  struct Case {
    const char* what;
    std::vector<std::string> serverArgs;
    bool tls;
    std::string caFile;                // empty: the CA that signed the server's certificate
    std::vector<std::string> reasons;  // the reason starts with one; {PEER} is 127.0.0.1:PORT
  };
  const Case cases[] = {
      {"a CA that signed something else",
       local_.ServeArgs(),
       true,
       stranger_.ca,
       {"certificate of {PEER} not trusted: "}},
      {"a certificate for another host",
       elsewhere_.ServeArgs(),
       true,
       "",
       {"host name mismatch: the certificate of {PEER} is not for 127.0.0.1"}},
      {"a TLS client at a plain server", {}, true, "", {"TLS handshake with {PEER} failed: "}},
      {"a plain client at a TLS-only server",
       [] {
         auto args = local_.ServeArgs();
         args.push_back("--tls-only");
         return args;
       }(),
       false,
       "",
       {"connection closed by {PEER}", "connection reset by {PEER}"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ZnsimProcess server(c.serverArgs);
    if (!c.caFile.empty()) setenv("ZNAPI_TLS_CA", c.caFile.c_str(), 1);
    std::string why;
    const auto start = Clock::now();
    EXPECT_FALSE(Open("127.0.0.1", server.port(), c.tls, why));
    EXPECT_LT(Clock::now() - start, 2s) << "a refusal is known at once";
    setenv("ZNAPI_TLS_CA", local_.ca.c_str(), 1);
    const std::string peer = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_TRUE(std::any_of(c.reasons.begin(), c.reasons.end(), [&](std::string reason) {
      reason.replace(reason.find("{PEER}"), 6, peer);
      return why.rfind(reason, 0) == 0;
    })) << why;
    // The server logs each login it reads, at once or counted on a later tick.
    EXPECT_FALSE(server.logShows("logged in", 2500ms)) << "no credentials reached it";
    EXPECT_FALSE(server.logShows("login refused", 0ms)) << "no credentials reached it";
  }
}

TEST_F(TlsConnect, AServerThatNeverAnswersTheHandshakeFailsAtTheConnectDeadline) {
  SilentListener silent;
  std::string why;
  const auto start = Clock::now();
  EXPECT_FALSE(Open("127.0.0.1", silent.port(), true, why));
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, 2900ms);
  EXPECT_LT(waited, 4500ms);
  EXPECT_EQ(why,
            "no TLS handshake from 127.0.0.1:" + std::to_string(silent.port()) + " within 3 s");
}

}  // namespace
}  // namespace znapi::detail
