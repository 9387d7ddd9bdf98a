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

#include "HeldPort.h"
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
  static std::shared_ptr<ServerConnection> Open(const std::string& host, int port,
                                                Transport transport, std::string& why,
                                                std::chrono::milliseconds connect = 30s) {
    ClearReason();
    auto connection = ServerConnection::Open({host, static_cast<std::uint16_t>(port), transport},
                                             {"Engineer", "Marlow", 0}, Deadlines{connect, 30s});
    why = Reason();
    return connection;
  }

  static inline std::unique_ptr<TempDir> ours_, strangers_;
  static inline ServerCertificate local_, elsewhere_, stranger_;
};

// A list read of this many names is a request and a reply of megabytes each: many records,
// more than one socket buffer, in both directions.
constexpr int kLargeListNames = 200'000;

TEST_F(TlsConnect, TrustedCertificatesServeAddressAndNameBesidePlain) {
  ZnsimProcess server(local_.ServeArgs());
  for (const auto& [host, transport] : {std::pair{"127.0.0.1", Transport::Tls},
                                        {"localhost", Transport::Tls},
                                        {"127.0.0.1", Transport::Plain}}) {
    SCOPED_TRACE(std::string(host) + (transport == Transport::Tls ? " over TLS" : " plain"));
    std::string why;
    const auto connection = Open(host, server.port(), transport, why);
    ASSERT_TRUE(connection) << why;
    znwire::Request request;
    request.mutable_tag_read()->set_tag("LIT101");
    znwire::Response response;
    ASSERT_TRUE(connection->Call(request, response));
    ASSERT_TRUE(response.ok()) << response.error();

    znwire::Request large;
    for (int i = 0; i < kLargeListNames; ++i) {
      large.mutable_list_read()->add_tags(i % 2 == 0 ? "LIT101" : "NO_SUCH_TAG");
    }
    znwire::ListReadResponse listed;
    ASSERT_TRUE(connection->Call(large, listed)) << Reason();
    ASSERT_TRUE(listed.ok()) << listed.error();
    znwire::ListReadReply items;
    ASSERT_TRUE(items.ParseFromString(listed.list_read()));
    ASSERT_EQ(items.items_size(), kLargeListNames);
    EXPECT_TRUE(items.items(0).ok());
    EXPECT_FALSE(items.items(kLargeListNames - 1).ok()) << "the last item is the last name's";
    EXPECT_EQ(items.items(kLargeListNames - 2).value(), items.items(0).value());
  }
}

// A connection to a server reached before resumes that session instead of a whole handshake;
// a session never stands in for a check the new connection would make.
TEST_F(TlsConnect, AReconnectResumesButNeverSkipsACheck) {
  testing_support::HeldPort port;
  auto server = std::make_unique<ZnsimProcess>(local_.ServeArgs(), std::string(), port.port());
  std::string why;
  for (const bool resumes : {false, true, true}) {
    const auto connection = Open("127.0.0.1", port.port(), Transport::Tls, why);
    ASSERT_TRUE(connection) << why;
    EXPECT_EQ(connection->resumedTls(), resumes);
    znwire::Request request;
    request.mutable_tag_read()->set_tag("LIT101");
    znwire::Response response;
    ASSERT_TRUE(connection->Call(request, response));
    EXPECT_TRUE(response.ok()) << response.error();
  }

  // Another trust store: the server's certificate is checked against it, not resumed.
  setenv("ZNAPI_TLS_CA", stranger_.ca.c_str(), 1);
  EXPECT_FALSE(Open("127.0.0.1", port.port(), Transport::Tls, why));
  EXPECT_EQ(
      why.rfind("certificate of 127.0.0.1:" + std::to_string(port.port()) + " not trusted", 0), 0u)
      << why;
  setenv("ZNAPI_TLS_CA", local_.ca.c_str(), 1);
  const auto anew = Open("127.0.0.1", port.port(), Transport::Tls, why);
  ASSERT_TRUE(anew) << why;
  EXPECT_FALSE(anew->resumedTls()) << "sessions checked under another trust store are gone";

  // The same address served by another server, with a certificate this client does not trust.
  server.reset();
  server = std::make_unique<ZnsimProcess>(stranger_.ServeArgs(), std::string(), port.port());
  EXPECT_FALSE(Open("127.0.0.1", port.port(), Transport::Tls, why));
  EXPECT_EQ(
      why.rfind("certificate of 127.0.0.1:" + std::to_string(port.port()) + " not trusted", 0), 0u)
      << why;
}

// Each refusal comes with its reason and long before the connect deadline; only the silent
// server takes the whole connect deadline, and not more.
TEST_F(TlsConnect, RefusalsNameTheirReasonWithinTheDeadline) {
  constexpr auto kTls = Transport::Tls;
  struct Case {
    const char* what;
    std::vector<std::string> serverArgs;
    Transport transport;
    std::string caFile;                // empty: the CA that signed the server's certificate
    std::vector<std::string> reasons;  // the reason starts with one; {PEER} is HOST:PORT
    std::string host = "127.0.0.1";
    std::string mentions = "";  // and holds this, unless empty
  };
  const Case cases[] = {
      {"a CA that signed something else",
       local_.ServeArgs(),
       kTls,
       stranger_.ca,
       {"certificate of {PEER} not trusted: "}},
      {"a certificate for another address",
       elsewhere_.ServeArgs(),
       kTls,
       "",
       {"host name mismatch: the certificate of {PEER} is not for 127.0.0.1"}},
      // Reached by name, a certificate is checked against its DNS names, not only trusted.
      {"a certificate for another name",
       elsewhere_.ServeArgs(),
       kTls,
       "",
       {"host name mismatch: the certificate of {PEER} is not for localhost"},
       "localhost"},
      {"a TLS client at a plain server",
       {},
       kTls,
       "",
       {"TLS handshake with {PEER} failed: "},
       "127.0.0.1",
       "; a server without TLS is reached as plain://{PEER}, which sends the password in clear"},
      {"a plain client at a TLS-only server",
       [] {
         auto args = local_.ServeArgs();
         args.push_back("--tls-only");
         return args;
       }(),
       Transport::Plain,
       "",
       {"connection closed by {PEER}", "connection reset by {PEER}"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ZnsimProcess server(c.serverArgs);
    if (!c.caFile.empty()) setenv("ZNAPI_TLS_CA", c.caFile.c_str(), 1);
    std::string why;
    const auto start = Clock::now();
    EXPECT_FALSE(Open(c.host, server.port(), c.transport, why));
    EXPECT_LT(Clock::now() - start, 10s) << "a refusal is known long before the deadline";
    setenv("ZNAPI_TLS_CA", local_.ca.c_str(), 1);
    const auto named = [&](std::string text) {
      if (const auto at = text.find("{PEER}"); at != std::string::npos)
        text.replace(at, 6, c.host + ":" + std::to_string(server.port()));
      return text;
    };
    EXPECT_TRUE(std::any_of(c.reasons.begin(), c.reasons.end(), [&](const std::string& reason) {
      return why.rfind(named(reason), 0) == 0;
    })) << why;
    EXPECT_NE(why.find(named(c.mentions)), std::string::npos) << why;
    // The server logs each login it reads, at once or counted on a later tick.
    EXPECT_FALSE(server.logShows("logged in", 2500ms)) << "no credentials reached it";
    EXPECT_FALSE(server.logShows("login refused", 0ms)) << "no credentials reached it";
  }
}

TEST_F(TlsConnect, AServerThatNeverAnswersTheHandshakeFailsAtTheConnectDeadline) {
  SilentListener silent;
  std::string why;
  const auto start = Clock::now();
  EXPECT_FALSE(Open("127.0.0.1", silent.port(), Transport::Tls, why, 1s));
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, 1s);
  EXPECT_LT(waited, 10s) << "ended by the deadline, not left to hang";
  EXPECT_EQ(why,
            "no TLS handshake from 127.0.0.1:" + std::to_string(silent.port()) + " within 1 s");
}

}  // namespace
}  // namespace znapi::detail
