// The library over TLS to real znsim processes: every kind of call, an untrusted server, and
// failover from a TLS primary to a plain standby. LibrarySecureDefault_test.cpp looks at what
// crosses the wire.
#include <gtest/gtest.h>

#include <cstdlib>

#include "DynamicZnApi.h"
#include "HeldPort.h"
#include "LibraryTestSupport.h"
#include "TestCertificates.h"
#include "basZNAPI.h"

namespace znapi::testing {
namespace {

using testing_support::MakeServerCertificate;
using testing_support::ServerCertificate;
using testing_support::TempDir;
using testing_support::ZnsimProcess;

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
  testing_support::HeldPort primaryPort;  // refused once the primary is gone, never reused
  auto primary = std::make_unique<ZnsimProcess>(TlsOnly(), std::string(), primaryPort.port());
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
