#include "LoginLimiter.h"

#include <gtest/gtest.h>

namespace znsim {
namespace {

using namespace std::chrono_literals;
using Clock = LoginLimiter::Clock;

class LoginLimiterTest : public ::testing::Test {
 protected:
  // True when a password check may run now (and counts it).
  bool Check(const char* address, const char* user, Clock::duration at) {
    return !limiter.Refusal(address, user, t0 + at);
  }
  LoginLimiter limiter{3, 1s};
  Clock::time_point t0 = Clock::now();
};

TEST_F(LoginLimiterTest, ABurstOfThreeThenOneCheckASecondPerAddress) {
  const std::pair<Clock::duration, bool> attempts[] = {
      {0ms, true},    {0ms, true},    {0ms, true},     {0ms, false},
      {999ms, false}, {1000ms, true}, {1000ms, false}, {2000ms, true}};
  for (const auto& [at, allowed] : attempts) {
    EXPECT_EQ(Check("10.0.0.1", "guess", at), allowed) << at.count();
  }
  EXPECT_TRUE(Check("10.0.0.2", "other", 0ms)) << "another address and user are not slowed";
  const auto wait = limiter.Refusal("10.0.0.1", "guess", t0 + 2500ms);
  ASSERT_TRUE(wait);
  EXPECT_EQ(TooManyAttempts(*wait), "too many login attempts; retry in 1 s");
  EXPECT_EQ(TooManyAttempts(1500ms), "too many login attempts; retry in 2 s");
}

TEST_F(LoginLimiterTest, SuccessesCostTheAddressNothingAndResetTheUser) {
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(Check("10.0.0.1", "Engineer", 0ms)) << i;
    limiter.Succeeded("10.0.0.1", "Engineer");
  }
}

TEST_F(LoginLimiterTest, AnAttackFromOneAddressDoesNotSlowTheUserElsewhere) {
  for (int second = 0; second < 10; ++second) {
    const auto at = std::chrono::seconds(second);
    while (Check("10.0.0.66", "Engineer", at)) limiter.Failed("10.0.0.66", "Engineer", t0 + at);
    EXPECT_TRUE(Check("10.0.0.7", "Engineer", at + 500ms)) << second;
    limiter.Succeeded("10.0.0.7", "Engineer");
  }
}

TEST_F(LoginLimiterTest, GuessersAtManyAddressesShareTheUsersRate) {
  const auto address = [](int i) { return "10.1.0." + std::to_string(i); };
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(Check(address(i).c_str(), "Engineer", 0ms)) << "a first try is not suspect";
    limiter.Failed(address(i), "Engineer", t0);
  }
  int checked = 0;
  for (int i = 0; i < 10; ++i) checked += Check(address(i).c_str(), "Engineer", 1s);
  EXPECT_EQ(checked, 1) << "one check a second for the user, whatever the address";
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
}

}  // namespace
}  // namespace znsim
