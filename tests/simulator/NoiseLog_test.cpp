#include "NoiseLog.h"

#include <gtest/gtest.h>
#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>

#include <sstream>

namespace znsim {
namespace {

using namespace std::chrono_literals;

TEST(NoiseLog, LogsAnAddressAtMostOnceASecondWithACount) {
  std::ostringstream out;
  const auto previous = spdlog::default_logger();
  auto logger = std::make_shared<spdlog::logger>(
      "noise", std::make_shared<spdlog::sinks::ostream_sink_mt>(out));
  logger->set_pattern("%v");
  spdlog::set_default_logger(logger);

  NoiseLog noise;
  const auto t0 = NoiseLog::Clock::now();
  for (int i = 0; i < 300; ++i) noise.Note("10.0.0.1", "connection opened", {}, false, t0);
  noise.Note("10.0.0.1", "connection closed: no login in time", {}, true, t0 + 100ms);
  noise.Note("10.0.0.2", "login refused", " for user 'X'", true, t0 + 200ms);
  noise.Flush(t0 + 500ms);  // too early for 10.0.0.1
  noise.Flush(t0 + 1100ms);
  noise.Flush(t0 + 5s);  // nothing new
  noise.Note("10.0.0.1", "connection opened", {}, false, t0 + 6s);
  spdlog::set_default_logger(previous);

  EXPECT_EQ(out.str(),
            "10.0.0.1: connection opened\n"
            "10.0.0.2: login refused for user 'X'\n"
            "10.0.0.1: connection opened (299 times in the last 1.1 s)\n"
            "10.0.0.1: connection closed: no login in time (1 times in the last 1.1 s)\n"
            "10.0.0.1: connection opened\n");
}

}  // namespace
}  // namespace znsim
