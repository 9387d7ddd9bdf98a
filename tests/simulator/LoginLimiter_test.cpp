#include "LoginLimiter.h"

#include <gtest/gtest.h>

namespace znsim {
namespace {

using namespace std::chrono_literals;
using Clock = LoginLimiter::Clock;

class LoginLimiterTest : public ::testing::Test {
 protected:
  // True when a password check may run now (and counts it).
  bool Check(const std::string& source, const std::string& user, Clock::duration at) {
    return !limiter->Refusal(source, user, t0 + at);
  }
  void Succeed(const std::string& source, const std::string& user, Clock::duration at) {
    ASSERT_TRUE(Check(source, user, at));
    limiter->Succeeded(source, user, t0 + at);
  }
  // Guesses for `user` from fresh addresses until one is refused.
  void Drain(const std::string& user, Clock::duration at) {
    for (int i = 0; Check("10.9.0." + std::to_string(i), user, at); ++i) {
    }
  }
  std::unique_ptr<LoginLimiter> limiter = std::make_unique<LoginLimiter>();
  Clock::time_point t0 = Clock::now();
};

TEST_F(LoginLimiterTest, ABurstOfThreeThenOneCheckASecond) {
  struct Attempt {
    const char* source;
    const char* user;
    Clock::duration at;
    bool allowed;
  };
  const Attempt attempts[] = {
      {"10.0.0.1", "Engineer", 0ms, true},     {"10.0.0.2", "Engineer", 0ms, true},
      {"10.0.0.3", "Engineer", 0ms, true},     {"10.0.0.4", "Engineer", 0ms, false},
      {"10.0.0.5", "Engineer", 999ms, false},  {"10.0.0.6", "Engineer", 1000ms, true},
      {"10.0.0.7", "Engineer", 1000ms, false}, {"10.0.0.1", "Operator", 1000ms, true},
      {"10.0.0.1", "Manager", 1000ms, true},   {"10.0.0.1", "Visitor", 1000ms, true},
      {"10.0.0.1", "Guest", 1000ms, false},    {"10.0.0.8", "Guest", 1000ms, true},
  };
  for (const auto& [source, user, at, allowed] : attempts) {
    EXPECT_EQ(Check(source, user, at), allowed) << source << " " << user << " " << at.count();
  }
  const auto wait = limiter->Refusal("10.0.0.9", "Engineer", t0 + 1500ms);
  ASSERT_TRUE(wait);
  EXPECT_EQ(TooManyAttempts(*wait), "too many login attempts; retry in 1 s");
  EXPECT_EQ(TooManyAttempts(1500ms), "too many login attempts; retry in 2 s");
}

TEST_F(LoginLimiterTest, WhereTheUserLoggedInTheyKeepTheirOwnAllowanceForADay) {
  Succeed("10.0.0.7", "Engineer", 0s);
  Drain("Engineer", 1s);
  for (int i = 0; i < 10; ++i) Succeed("10.0.0.7", "Engineer", 1s);  // successes cost nothing
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Check("10.0.0.7", "Engineer", 1s)) << i;
  EXPECT_FALSE(Check("10.0.0.7", "Engineer", 1s)) << "guesses there have their own limit";
  EXPECT_FALSE(Check("10.0.0.8", "Engineer", 1s)) << "a first login elsewhere waits its turn";

  Succeed("10.0.0.7", "Engineer", 10s);
  Drain("Engineer", 10s + 24h);
  EXPECT_FALSE(Check("10.0.0.7", "Engineer", 10s + 24h)) << "a day after the last login";
}

TEST_F(LoginLimiterTest, FullTablesForgetTheOldestTrustFirst) {
  limiter = std::make_unique<LoginLimiter>(LoginLimiter::Limits{3, 1s, 24h, 4});
  for (int i = 0; i < 10; ++i) {
    const std::string user = "user" + std::to_string(i);
    Succeed("10.0.1." + std::to_string(i), user, std::chrono::seconds(i));
  }
  Drain("user0", 20s);
  Drain("user9", 20s);
  EXPECT_FALSE(Check("10.0.1.0", "user0", 20s)) << "forgotten: back to the common allowance";
  EXPECT_TRUE(Check("10.0.1.9", "user9", 20s)) << "the latest logins are kept";
}

TEST(RateTable, HoldsNoMoreKeysThanItsCapacity) {
  RateTable table(3, std::chrono::seconds(1), 100);
  const auto now = RateTable::Clock::now();
  for (int i = 0; i < 10000; ++i) {
    table.Take("key" + std::to_string(i), now);
    ASSERT_LE(table.size(), 100u) << i;
  }
  for (int i = 0; i < 3; ++i) table.Take("busy", now);
  EXPECT_FALSE(table.Take("busy", now)) << "a key held still keeps its count";
  EXPECT_TRUE(table.Full("quiet", now));
  EXPECT_EQ(table.Owed("busy", now), std::chrono::seconds(3));
}

}  // namespace
}  // namespace znsim
