// The library over TLS to real znsim processes: every kind of call, what crosses the wire
// during a login, and failover from a TLS primary to a plain standby.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <thread>

#include "DynamicZnApi.h"
#include "LibraryTestSupport.h"
#include "TestCertificates.h"
#include "basZNAPI.h"

namespace znapi::testing {
namespace {

using testing_support::MakeServerCertificate;
using testing_support::ServerCertificate;
using testing_support::TempDir;
using testing_support::ZnsimProcess;

int ListenOnLoopback(int& port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(fd, 1) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("listen failed");
  }
  port = ntohs(address.sin_port);
  return fd;
}

// Passes one connection on to `targetPort` and keeps every byte that crossed it, both ways:
// what a capture of the loopback traffic would show.
class CapturingRelay {
 public:
  explicit CapturingRelay(int targetPort) : listener_(ListenOnLoopback(port_)) {
    thread_ = std::thread([this, targetPort] { Run(targetPort); });
  }
  ~CapturingRelay() {
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    close(listener_);
  }
  int port() const { return port_; }
  std::string captured() {
    std::lock_guard lock(mutex_);
    return captured_;
  }

 private:
  void Run(int targetPort) {
    const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(targetPort));
    if (connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
      char buffer[16384];
      bool open = true;
      while (open && poll(ends, 2, 10000) > 0) {
        for (int i = 0; i < 2 && open; ++i) {
          if (ends[i].revents == 0) continue;
          const ssize_t n = read(ends[i].fd, buffer, sizeof buffer);
          open = n > 0 && write(ends[1 - i].fd, buffer, static_cast<std::size_t>(n)) == n;
          if (n > 0) {
            std::lock_guard lock(mutex_);
            captured_.append(buffer, static_cast<std::size_t>(n));
          }
        }
      }
    }
    close(server);
    close(client);
  }

  int port_ = 0;
  int listener_;
  std::mutex mutex_;
  std::string captured_;
  std::thread thread_;
};

class LibraryTls : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pki_ = std::make_unique<TempDir>("znapi-tls-");
    certificate_ = MakeServerCertificate(pki_->path);
  }
  static void TearDownTestSuite() { pki_.reset(); }
  void SetUp() override { setenv("ZNAPI_TLS_CA", certificate_.ca.c_str(), 1); }
  void TearDown() override { unsetenv("ZNAPI_TLS_CA"); }

  static std::vector<std::string> TlsOnly(std::vector<std::string> more = {}) {
    auto args = certificate_.ServeArgs();
    args.push_back("--tls-only");
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
  static std::string Tls(int port) { return "tls://127.0.0.1:" + std::to_string(port); }

  static inline std::unique_ptr<TempDir> pki_;
  static inline ServerCertificate certificate_;
};

TEST_F(LibraryTls, ReadWriteFindAndListOverTls) {
  ZnsimProcess server(TlsOnly({"--generate-tags", "20000"}));
  const int32_t h = znOpen(Tls(server.port()).c_str(), kUser, kPassword, 0);
  ASSERT_GT(h, 0);

  ASSERT_NE(znTagWrite(h, "LIT101", "2.5"), 0);
  EXPECT_EQ(ReadTag(h, "LIT101"), "2.5");
  EXPECT_EQ(Zncode(h, "TagRead(\"LIT101\")"), "2.5");

  // Pages of thousands of rows span many TLS records in both directions of the wire.
  int32_t record = 0;
  const int32_t search = znFindFirst(h, "Tag", "*", &record, 0);
  ASSERT_GT(search, 0);
  const int32_t total = znFindScroll(search, ZNAPI_SCROLL_COUNT, 0, nullptr);
  EXPECT_GT(total, 20000);
  int32_t walked = 1;
  while (znFindNext(search, &record) != 0) ++walked;
  EXPECT_EQ(walked, total);
  EXPECT_EQ(Property(record, "Tag").value_or("").rfind("GEN", 0), 0u) << "the last row is there";
  EXPECT_NE(znFindClose(search), 0);

  const int32_t list = znListNew(h, 0);
  const int32_t level = znListAdd(list, "LIT101");
  const int32_t pump = znListAdd(list, "P103_Fault");
  ASSERT_NE(znListRead(list, 0), 0);
  EXPECT_EQ(ListData(level), "2.5");
  EXPECT_TRUE(ListData(pump).has_value());
  EXPECT_NE(znListFree(list), 0);
  EXPECT_NE(znClose(h), 0);
}

// The relay sees what a capture of the loopback interface sees. The plain login shows that it
// would catch the password; the TLS one must not hold it.
TEST_F(LibraryTls, ALoginOverTlsPutsNoPasswordOnTheWire) {
  ZnsimProcess server(certificate_.ServeArgs());
  const std::string password = "Marlow";
  for (const bool tls : {false, true}) {
    SCOPED_TRACE(tls ? "TLS" : "plain");
    CapturingRelay relay(server.port());
    const std::string name =
        (tls ? "tls://" : "") + std::string("127.0.0.1:") + std::to_string(relay.port());
    const int32_t h = znOpen(name.c_str(), kUser, password.c_str(), 0);
    ASSERT_GT(h, 0);
    EXPECT_TRUE(ReadTag(h, "LIT101").has_value());
    znClose(h);
    const auto wire = relay.captured();
    EXPECT_GT(wire.size(), 0u);
    EXPECT_EQ(wire.find(password) == std::string::npos, tls);
    EXPECT_EQ(wire.find(kUser) == std::string::npos, tls);
  }
}

TEST_F(LibraryTls, AnUntrustedCertificateFailsTheOpenWithItsReason) {
  ZnsimProcess server(TlsOnly());
  // The server's own certificate is no CA: nothing it signed, itself included, is trusted.
  setenv("ZNAPI_TLS_CA", certificate_.cert.c_str(), 1);
  EXPECT_EQ(znOpen(Tls(server.port()).c_str(), kUser, kPassword, 0), 0);
  char reason[256] = {};
  EXPECT_NE(znLastError(reason, sizeof reason), 0);
  EXPECT_EQ(std::string(reason).rfind(
                "certificate of 127.0.0.1:" + std::to_string(server.port()) + " not trusted: ", 0),
            0u)
      << reason;
}

TEST_F(LibraryTls, TheConnectionTableFailsOverFromATlsPrimaryToAPlainStandby) {
  auto primary = std::make_unique<ZnsimProcess>(TlsOnly());
  ZnsimProcess standby;
  binding::DynamicZnApi library;
  binding::basZNAPI module(library);
  auto& table = module.table();
  table.Computer = {Tls(primary->port()), standby.address()};
  table.UserID = {kUser, kUser};
  table.Password = {kPassword, kPassword};
  table.SlotCount = 2;

  const std::int32_t onPrimary = module.GetConnection();
  ASSERT_GT(onPrimary, 0);
  EXPECT_EQ(table.CurrentSlot, 0);
  ASSERT_NE(znTagWrite(onPrimary, "LIT101", "7"), 0);

  primary->kill9();
  const std::int32_t onStandby = module.GetConnection();
  ASSERT_GT(onStandby, 0);
  EXPECT_EQ(table.CurrentSlot, 1);
  EXPECT_NE(ReadTag(onStandby, "LIT101"), "7") << "the standby's own value";
  znClose(onStandby);
}

}  // namespace
}  // namespace znapi::testing
