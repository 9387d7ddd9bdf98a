#pragma once
/// Logs what a source address keeps doing to the server (connections opened, closed, refused
/// logins...) at most once a second per address: the first event of a burst at once, the
/// rest as counts when the second is over. A flood of connections then costs a few log lines,
/// not one per event.
#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace znsim {

class NoiseLog {
 public:
  using Clock = std::chrono::steady_clock;

  explicit NoiseLog(std::size_t capacity = 1024) : capacity_(capacity) {}

  /// `event` is a fixed text such as "connection opened", by which events are counted;
  /// `detail` follows it only when the event is logged at once. Warnings and information are
  /// counted apart.
  void Note(const std::string& address, const char* event, const std::string& detail = {},
            bool warning = false, Clock::time_point now = Clock::now());
  /// Logs the counts held back for longer than a second; called about once a second.
  void Flush(Clock::time_point now = Clock::now());

  struct Line {
    bool warning;
    std::string text;
  };

 private:
  struct Held {
    const char* event;
    bool warning;
    std::size_t count;
  };
  struct Counts {
    Clock::time_point logged;  // when this address was last logged
    std::vector<Held> held;    // events not logged yet, a handful of kinds
  };
  void Count(const std::string& address, const char* event, const std::string& detail, bool warning,
             Clock::time_point now, std::vector<Line>& lines);
  void Write(const std::string& address, Counts& counts, Clock::time_point now,
             std::vector<Line>& lines);

  std::size_t capacity_;
  std::mutex mutex_;
  std::unordered_map<std::string, Counts> addresses_;
};

}  // namespace znsim
