#pragma once
/// How long the library waits for the network, with the environment's overrides.
#include <chrono>

namespace znapi::detail {

struct Deadlines {
  std::chrono::milliseconds connect{3000};  // TCP connect and login together
  std::chrono::milliseconds request{5000};  // each request after login
};

/// A moment to give up at, with the wait that ends there, which a reason for giving up names.
struct Deadline {
  std::chrono::steady_clock::time_point at;
  std::chrono::milliseconds wait;
  static Deadline In(std::chrono::milliseconds wait) {
    return {std::chrono::steady_clock::now() + wait, wait};
  }
};

/// The defaults, overridden by ZNAPI_CONNECT_TIMEOUT_MS and ZNAPI_TIMEOUT_MS when they hold a
/// positive whole number of milliseconds; other values are ignored.
Deadlines DeadlinesFromEnvironment();

/// A positive millisecond count from `text`, or `fallback` when the text is absent or not one.
std::chrono::milliseconds ParseMilliseconds(const char* text, std::chrono::milliseconds fallback);

}  // namespace znapi::detail
