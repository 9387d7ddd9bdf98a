#pragma once
/// Runs a function once a second, near each second boundary, on a thread of its own until
/// destroyed.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace znsim {

class Ticker {
 public:
  explicit Ticker(std::function<void()> tick);
  ~Ticker();
  Ticker(const Ticker&) = delete;
  Ticker& operator=(const Ticker&) = delete;

 private:
  std::function<void()> tick_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::jthread thread_;
};

}  // namespace znsim
