#include "Admission.h"

#include <gtest/gtest.h>

#include <map>

#include "SourceAddress.h"

namespace znsim {
namespace {

using namespace std::chrono_literals;

struct Connection : Admission::Member {
  Phase phase() const override { return now; }
  bool Evict() override {
    if (now != Phase::Opening && now != Phase::Handshaking) return false;
    now = Phase::Closing;
    return true;
  }
  Phase now = Phase::Opening;
};

class AdmissionTest : public ::testing::Test {
 protected:
  // A budget of 8 not logged in: 2 places a source, rationed from 4 on.
  void Use(int claimBurst = 8, std::chrono::seconds penalizedFrom = 15s) {
    admission = std::make_unique<Admission>(
        AdmissionLimits{8, 2, claimBurst, 1h, 1s, penalizedFrom, 600s, 4096});
  }
  // Arrives as `name`, whose first letter is its source; true when admitted.
  bool Arrive(const std::string& name, Phase phase = Phase::Opening) {
    auto& member = members[name];
    member = std::make_shared<Connection>();
    member->now = phase;
    return admission->Arrive(member, name.substr(0, 1), now);
  }
  void Leave(const std::string& name) {
    admission->Leave(*members[name], name.substr(0, 1), now);
    members.erase(name);
  }
  std::string Evicted() {
    std::string out;
    for (const auto& [name, member] : members) {
      out += member->now == Phase::Closing ? name + " " : "";
    }
    return out;
  }
  std::unique_ptr<Admission> admission;
  std::map<std::string, std::shared_ptr<Connection>> members;
  Admission::Clock::time_point now = Admission::Clock::now();
};

TEST_F(AdmissionTest, BeyondItsShareASourceReplacesItsOwnThatSaidLeast) {
  Use();
  ASSERT_TRUE(Arrive("a1", Phase::Handshaking));
  ASSERT_TRUE(Arrive("a2"));
  ASSERT_TRUE(Arrive("b1"));
  EXPECT_TRUE(Arrive("a3"));
  EXPECT_EQ(Evicted(), "a2 ") << "its hello unanswered, the younger goes first";
  members["a3"]->now = Phase::AwaitingLogin;
  EXPECT_TRUE(Arrive("a4"));
  EXPECT_EQ(Evicted(), "a1 a2 ");
  members["a4"]->now = Phase::Checking;
  for (int i = 5; i < 100; ++i) EXPECT_FALSE(Arrive("a" + std::to_string(i)));
  EXPECT_EQ(Evicted(), "a1 a2 ") << "past its handshake or with a login frame: never evicted";
  EXPECT_EQ(admission->unauthenticated(), 3u);
}

TEST_F(AdmissionTest, OnceCrowdedASourceTakesNewPlacesOnlyAtItsRate) {
  Use(1);
  for (const char* name : {"a1", "a2", "b1", "d1"}) ASSERT_TRUE(Arrive(name));
  EXPECT_TRUE(Arrive("c1")) << "its one claim: a free place";
  EXPECT_TRUE(Arrive("c2"));
  EXPECT_EQ(Evicted(), "c1 ") << "out of claims it replaces its own";
  Leave("c2");
  EXPECT_FALSE(Arrive("c3")) << "nothing of its own to replace";
  for (const char* name : {"e1", "f1", "g1", "i1"}) ASSERT_TRUE(Arrive(name));
  EXPECT_EQ(admission->unauthenticated(), 8u);
  members["a1"]->now = Phase::AwaitingLogin;
  EXPECT_TRUE(Arrive("h1")) << "a full budget: a claim evicts from whoever holds the most";
  EXPECT_EQ(Evicted(), "a2 c1 ");
}

TEST_F(AdmissionTest, AbandoningConnectionsPenalizesTheSource) {
  Use(8, 3s);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(Arrive("a" + std::to_string(i)));
    Leave("a" + std::to_string(i));
  }
  for (const char* name : {"b1", "b2", "c1", "c2"}) ASSERT_TRUE(Arrive(name));
  EXPECT_FALSE(Arrive("a3")) << "crowded: a penalized source gets no new place";
  now += 2s;
  EXPECT_TRUE(Arrive("a4")) << "the penalty wears off";
}

TEST_F(AdmissionTest, LoggedInConnectionsHaveABudgetOfTheirOwn) {
  Use();
  for (const char* name : {"a1", "b1", "c1"}) ASSERT_TRUE(Arrive(name, Phase::Checking));
  EXPECT_TRUE(admission->LoggedIn(*members["a1"], "a"));
  EXPECT_TRUE(admission->LoggedIn(*members["b1"], "b"));
  EXPECT_FALSE(admission->LoggedIn(*members["c1"], "c")) << "the logged-in budget is full";
  admission->LoggedOut();
  EXPECT_TRUE(admission->LoggedIn(*members["c1"], "c"));
  EXPECT_EQ(admission->unauthenticated(), 0u);
  EXPECT_EQ(admission->loggedIn(), 2u);
}

TEST(SourceAddress, IPv6CountsPerSlash64AndMappedIPv4AsIPv4) {
  const std::pair<const char*, const char*> cases[] = {
      {"192.0.2.7", "192.0.2.7"},
      {"::ffff:192.0.2.7", "192.0.2.7"},
      {"2001:db8:1:2:3:4:5:6", "2001:db8:1:2::/64"},
      {"2001:db8:1:2::9", "2001:db8:1:2::/64"},
      {"2001:db8:1:3::9", "2001:db8:1:3::/64"},
  };
  for (const auto& [address, source] : cases) {
    EXPECT_EQ(SourceOf(asio::ip::make_address(address)), source) << address;
  }
}

}  // namespace
}  // namespace znsim
