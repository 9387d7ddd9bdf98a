#include <gtest/gtest.h>

#include "LoginThrottle.h"

namespace znsim {
namespace {

using std::chrono::milliseconds;

TEST(LoginThrottle, EachRefusalWaitsLongerUpToTheCap) {
  LoginThrottle throttle(milliseconds(250), milliseconds(2000));
  const auto now = LoginThrottle::Clock::now();
  const long expected[] = {250, 500, 1000, 2000, 2000, 2000};
  for (long ms : expected) EXPECT_EQ(throttle.Refused("10.0.0.1", now).count(), ms);
  EXPECT_EQ(throttle.Refused("10.0.0.2", now).count(), 250) << "peers are counted apart";
  throttle.Accepted("10.0.0.1");
  EXPECT_EQ(throttle.Refused("10.0.0.1", now).count(), 250) << "a good login starts afresh";
  EXPECT_EQ(throttle.Refused("10.0.0.2", now + std::chrono::hours(1)).count(), 250)
      << "a peer quiet for long starts afresh";
}

}  // namespace
}  // namespace znsim
