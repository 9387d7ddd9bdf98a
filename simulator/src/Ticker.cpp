#include "Ticker.h"

#include <spdlog/spdlog.h>

#include <chrono>

namespace znsim {

Ticker::Ticker(std::function<void()> tick)
    : tick_(std::move(tick)), thread_([this](std::stop_token stop) {
        using namespace std::chrono;
        while (!stop.stop_requested()) {
          const auto now = system_clock::now();
          const auto next = ceil<seconds>(now + milliseconds(1));
          {
            std::unique_lock lock(mutex_);
            if (wake_.wait_until(lock, stop, next, [] { return false; })) break;
          }
          if (stop.stop_requested()) break;
          try {
            tick_();
          } catch (const std::exception& e) {
            // A full disk must not take the network side down; the next tick tries again.
            spdlog::error("plant tick failed: {}", e.what());
          }
        }
      }) {}

Ticker::~Ticker() {
  thread_.request_stop();
  thread_.join();
}

}  // namespace znsim
