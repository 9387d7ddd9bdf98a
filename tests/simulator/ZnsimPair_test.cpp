// Two real znsim processes as a redundant pair: what a client writes on either is served by
// both, through kills, restarts and stops.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <thread>

#include "RawClient.h"
#include "RedundantPair.h"
#include "ZnsimProcess.h"
#include "framing.h"

namespace {

using namespace std::chrono_literals;
using simtest::RawClient;
using testing_support::TempDir;
using testing_support::ZnsimProcess;
using Clock = std::chrono::steady_clock;

// Replication takes milliseconds; the deadline only bounds a test that would otherwise hang.
constexpr auto kEventually = 30s;

// Alpha is the pair's primary, beta its standby.
struct Pair : testing_support::RedundantPair {
  Pair() : RedundantPair("alpha", "beta") {}
  ZnsimProcess& server(int which) { return which == 0 ? *primary : *standby; }
  void Restart(int which) { which == 0 ? StartPrimary() : StartStandby(); }
};

std::unique_ptr<RawClient> LoggedIn(const ZnsimProcess& server) {
  auto client = std::make_unique<RawClient>(server.port());
  if (!client->Login()) throw std::runtime_error("login refused on " + server.address());
  return client;
}

std::string Write(RawClient& client, const std::string& tag, const std::string& value) {
  const auto reply = client.Zncode("TagWrite(\"" + tag + "\", " + value + ")");
  if (!reply || !reply->ok()) return reply ? reply->error() : "no reply";
  return "written";
}

std::string ValueOf(RawClient& client, const std::string& tag) {
  const auto reply = client.TagRead(tag);
  return reply && reply->ok() ? reply->tag_value().value() : "(no value)";
}

// The value of `tag` on `server` once it is `want`, or the last one read at the deadline.
std::string Awaited(const ZnsimProcess& server, const std::string& tag, const std::string& want) {
  auto client = LoggedIn(server);
  const auto deadline = Clock::now() + kEventually;
  std::string value = ValueOf(*client, tag);
  while (value != want && Clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
    value = ValueOf(*client, tag);
  }
  return value;
}

TEST(ZnsimPair, AWriteOnEitherIsServedByTheOther) {
  Pair pair;
  auto onAlpha = LoggedIn(*pair.primary);
  auto onBeta = LoggedIn(*pair.standby);
  ASSERT_EQ(Write(*onAlpha, "LIT101", "2.75"), "written");
  ASSERT_EQ(Write(*onBeta, "FIT101", "41"), "written");
  EXPECT_EQ(Awaited(*pair.standby, "LIT101", "2.75"), "2.75");
  EXPECT_EQ(Awaited(*pair.primary, "FIT101", "41"), "41");
  // The later of two writes to one tag wins on both, whichever server took it.
  ASSERT_EQ(Write(*onBeta, "LIT101", "3.5"), "written");
  EXPECT_EQ(Awaited(*pair.primary, "LIT101", "3.5"), "3.5");
  EXPECT_EQ(ValueOf(*onBeta, "LIT101"), "3.5");

  const auto state = onAlpha->Zncode("SimPeer()");
  ASSERT_TRUE(state && state->ok());
  EXPECT_NE(state->zncode().result().find("connected to 'beta'"), std::string::npos)
      << state->zncode().result();
}

// A server killed mid-run gets on restart what the other accepted meanwhile, whichever of the
// two was killed, and what it had itself accepted before is still there.
TEST(ZnsimPair, AServerKilledAndRestartedCatchesUp) {
  Pair pair;
  {
    auto onBeta = LoggedIn(*pair.standby);
    ASSERT_EQ(Write(*onBeta, "AIT101", "7.25"), "written");
  }
  pair.standby->kill9();
  {
    auto onAlpha = LoggedIn(*pair.primary);
    for (int i = 1; i <= 50; ++i)
      ASSERT_EQ(Write(*onAlpha, "FIT301", std::to_string(i)), "written");
    ASSERT_EQ(Write(*onAlpha, "PIT301", "12.5"), "written");
  }
  pair.StartStandby();
  EXPECT_EQ(Awaited(*pair.standby, "FIT301", "50"), "50");
  EXPECT_EQ(Awaited(*pair.standby, "PIT301", "12.5"), "12.5");
  EXPECT_EQ(Awaited(*pair.standby, "AIT101", "7.25"), "7.25");

  pair.primary->kill9();
  {
    auto onBeta = LoggedIn(*pair.standby);
    ASSERT_EQ(Write(*onBeta, "TIT101", "18.5"), "written");
  }
  pair.StartPrimary();
  EXPECT_EQ(Awaited(*pair.primary, "TIT101", "18.5"), "18.5");
  EXPECT_EQ(Awaited(*pair.primary, "AIT101", "7.25"), "7.25");
}

// Writes on both sides while one server is stopped: once it runs again both hold the newer
// value of each tag, including where the two wrote the same tag.
TEST(ZnsimPair, WritesOnBothWhileOneIsStoppedEndInTheNewerValueOnBoth) {
  Pair pair;
  auto onBeta = LoggedIn(*pair.standby);
  ASSERT_EQ(Write(*onBeta, "AIT102", "1"), "written");
  EXPECT_EQ(Awaited(*pair.primary, "AIT102", "1"), "1");

  pair.standby->pause();
  {
    auto onAlpha = LoggedIn(*pair.primary);
    ASSERT_EQ(Write(*onAlpha, "AIT102", "2"), "written");
    ASSERT_EQ(Write(*onAlpha, "AIT103", "3"), "written");
  }
  // Beta's client sent its write while beta was stopped: beta takes it when it runs again,
  // after alpha's write of the same tag, so beta's is the newer.
  znwire::Request request;
  request.set_id(99);
  request.mutable_zncode()->set_function("TagWrite(\"AIT102\", 4)");
  onBeta->SendBytes(znwire::EncodeFrame(request).value());
  pair.standby->resume();
  const auto reply = onBeta->ReadReply(kEventually);
  ASSERT_TRUE(reply && reply->ok());

  for (const auto* server : {pair.primary.get(), pair.standby.get()}) {
    EXPECT_EQ(Awaited(*server, "AIT102", "4"), "4") << server->address();
    EXPECT_EQ(Awaited(*server, "AIT103", "3"), "3") << server->address();
  }
}

// The secret is what makes a pair: a server that does not know it is refused, learns nothing
// and is told why, and a secret others may read is not taken at all.
TEST(ZnsimPair, AServerWithoutTheSecretIsRefusedAndAnExposedSecretIsNotTaken) {
  TempDir mine("znsim-pair-");
  TempDir theirs("znsim-pair-");
  const std::string otherSecret = theirs.path + "/pair.secret";
  std::ofstream(otherSecret) << "another secret, of some other pair\n";
  std::filesystem::permissions(otherSecret, std::filesystem::perms::owner_read);
  ZnsimProcess alpha(testing_support::PairArgs(mine.path, "alpha"));
  ZnsimProcess stranger(testing_support::PairArgs(theirs.path, "stranger", alpha.address()));
  EXPECT_TRUE(stranger.logShows("does not know the pair's secret", kEventually));
  EXPECT_TRUE(alpha.logShows("peer link refused", kEventually));
  auto onStranger = LoggedIn(stranger);
  const auto state = onStranger->Zncode("SimPeer()");
  ASSERT_TRUE(state && state->ok());
  EXPECT_EQ(state->zncode().result().rfind("not connected", 0), 0u) << state->zncode().result();

  const std::string exposed = mine.path + "/pair.secret";
  std::filesystem::permissions(exposed, std::filesystem::perms::group_read,
                               std::filesystem::perm_options::add);
  EXPECT_THROW(ZnsimProcess(testing_support::PairArgs(mine.path, "beta", alpha.address())),
               std::runtime_error);
}

// Many writes on either server with kill -9 of either at random moments, each killed server
// started again at once: every acknowledged write is kept by the pair, and once both run they
// hold the same, newest, values. Writes follow one another, so the newest is the last one
// acknowledged.
TEST(ZnsimPair, NoAcknowledgedWriteIsLostThroughRandomKills) {
  const std::array<std::string, 9> tags{"LIT101", "FIT101", "AIT101", "AIT102", "AIT103",
                                        "FIT301", "PIT301", "TIT101", "FQ301"};
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  Pair pair;
  std::array<std::unique_ptr<RawClient>, 2> clients{LoggedIn(*pair.primary),
                                                    LoggedIn(*pair.standby)};
  std::map<std::string, std::string> acknowledged;
  int kills = 0;
  for (int i = 1; i <= 10000; ++i) {
    if (std::uniform_int_distribution(0, 799)(random) == 0) {
      const int victim = std::uniform_int_distribution(0, 1)(random);
      clients[victim].reset();
      pair.server(victim).kill9();
      ++kills;
      pair.Restart(victim);
      clients[victim] = LoggedIn(pair.server(victim));
    }
    const std::string& tag = tags[i % tags.size()];
    const int on = std::uniform_int_distribution(0, 1)(random);
    ASSERT_EQ(Write(*clients[on], tag, std::to_string(i)), "written") << "write " << i;
    acknowledged[tag] = std::to_string(i);
  }
  RecordProperty("kills", kills);
  for (const auto* server : {pair.primary.get(), pair.standby.get()}) {
    for (const auto& [tag, value] : acknowledged) {
      EXPECT_EQ(Awaited(*server, tag, value), value) << tag << " on " << server->address();
    }
  }
}

}  // namespace
