#include "Admission.h"

#include <gtest/gtest.h>

#include <map>

namespace znsim {
namespace {

using namespace std::chrono_literals;

struct Connection : Admission::Member {
  void Evict() override { evicted = true; }
  bool evicted = false;
};

class AdmissionTest : public ::testing::Test {
 protected:
  void Use(std::size_t unauthenticated, int burst) {
    admission = std::make_unique<Admission>(AdmissionLimits{unauthenticated, 2, burst, 1h});
  }
  // Arrives as `name`, whose first letter is its address; true when admitted.
  bool Arrive(const std::string& name) {
    auto& member = members[name];
    member = std::make_shared<Connection>();
    return admission->Arrive(member, name.substr(0, 1), now);
  }
  std::string Evicted() {
    std::string out;
    for (const auto& [name, member] : members) out += member->evicted ? name + " " : "";
    return out;
  }
  std::unique_ptr<Admission> admission;
  std::map<std::string, std::shared_ptr<Connection>> members;
  Admission::Clock::time_point now = Admission::Clock::now();
};

TEST_F(AdmissionTest, ANewcomerEvictsTheOldestThatIsNotCheckingAPassword) {
  Use(3, 8);
  for (const char* name : {"a1", "a2", "a3"}) ASSERT_TRUE(Arrive(name));
  admission->Checking(*members["a1"], true);
  EXPECT_TRUE(Arrive("a4"));
  EXPECT_EQ(Evicted(), "a2 ");
  EXPECT_EQ(admission->unauthenticated(), 3u);
}

TEST_F(AdmissionTest, PastItsEvictionRateAnAddressOnlyReplacesItsOwn) {
  Use(3, 1);
  for (const char* name : {"b1", "a1", "a2", "a3", "b2"}) ASSERT_TRUE(Arrive(name));
  EXPECT_EQ(Evicted(), "a1 b1 ") << "within their rates both evict the oldest";
  for (const char* name : {"a4", "a5", "a6", "a7"}) ASSERT_TRUE(Arrive(name));
  EXPECT_FALSE(members["b2"]->evicted) << "a's stream cannot evict b's login in progress";

  Use(1, 1);
  members.clear();
  ASSERT_TRUE(Arrive("c1"));
  ASSERT_TRUE(Arrive("d1"));
  ASSERT_TRUE(Arrive("c2"));
  EXPECT_FALSE(Arrive("d2")) << "nothing of its own to replace";
}

TEST_F(AdmissionTest, LoggedInConnectionsHaveABudgetOfTheirOwn) {
  Use(4, 8);
  for (const char* name : {"a1", "a2", "a3"}) ASSERT_TRUE(Arrive(name));
  EXPECT_TRUE(admission->LoggedIn(*members["a1"]));
  EXPECT_TRUE(admission->LoggedIn(*members["a2"]));
  EXPECT_FALSE(admission->LoggedIn(*members["a3"])) << "the logged-in budget is full";
  admission->Leave(*members["a1"]);
  EXPECT_TRUE(admission->LoggedIn(*members["a3"]));
  EXPECT_EQ(admission->unauthenticated(), 0u);
  for (const char* name : {"b1", "b2", "b3", "b4", "b5"}) ASSERT_TRUE(Arrive(name));
  EXPECT_EQ(Evicted(), "b1 ") << "logged-in connections are never evicted";
  EXPECT_FALSE(admission->LoggedIn(*members["b1"])) << "evicted before its login ended";
}

}  // namespace
}  // namespace znsim
