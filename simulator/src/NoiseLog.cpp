#include "NoiseLog.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <string_view>

namespace znsim {

namespace {

constexpr auto kQuiet = std::chrono::seconds(1);

spdlog::level::level_enum Level(bool warning) {
  return warning ? spdlog::level::warn : spdlog::level::info;
}

// Lines are written once the lock is released: a thread that waits for the log to be written
// then holds up no other thread that notes an event.
void Emit(const std::vector<NoiseLog::Line>& lines) {
  for (const auto& [warning, text] : lines) spdlog::log(Level(warning), "{}", text);
}

}  // namespace

void NoiseLog::Note(const std::string& address, const char* event, const std::string& detail,
                    bool warning, Clock::time_point now) {
  std::vector<Line> lines;
  {
    std::lock_guard lock(mutex_);
    Count(address, event, detail, warning, now, lines);
  }
  Emit(lines);
}

void NoiseLog::Count(const std::string& address, const char* event, const std::string& detail,
                     bool warning, Clock::time_point now, std::vector<Line>& lines) {
  auto it = addresses_.find(address);
  if (it == addresses_.end()) {
    // A flood from ever new addresses: write out and forget what is held rather than grow.
    if (addresses_.size() >= capacity_) {
      for (auto& [held, counts] : addresses_) Write(held, counts, now, lines);
      addresses_.clear();
    }
    it = addresses_.emplace(address, Counts{now - kQuiet, {}}).first;
  }
  Counts& counts = it->second;
  if (counts.held.empty() && now - counts.logged >= kQuiet) {
    lines.push_back({warning, address + ": " + event + detail});
    counts.logged = now;
    return;
  }
  const auto same = [&](const Held& held) {
    return held.warning == warning && std::string_view(held.event) == event;
  };
  const auto held = std::find_if(counts.held.begin(), counts.held.end(), same);
  if (held != counts.held.end()) {
    ++held->count;
  } else {
    counts.held.push_back({event, warning, 1});
  }
}

void NoiseLog::Flush(Clock::time_point now) {
  std::vector<Line> lines;
  {
    std::lock_guard lock(mutex_);
    for (auto it = addresses_.begin(); it != addresses_.end();) {
      Counts& counts = it->second;
      if (now - counts.logged < kQuiet) {
        ++it;
      } else if (!counts.held.empty()) {
        Write(it->first, counts, now, lines);
        ++it;
      } else {
        it = addresses_.erase(it);  // quiet for a second: the next event is logged at once
      }
    }
  }
  Emit(lines);
}

void NoiseLog::Write(const std::string& address, Counts& counts, Clock::time_point now,
                     std::vector<Line>& lines) {
  const double seconds = std::chrono::duration<double>(now - counts.logged).count();
  for (const auto& held : counts.held) {
    lines.push_back({held.warning, fmt::format("{}: {} ({} times in the last {:.1f} s)", address,
                                               held.event, held.count, seconds)});
  }
  counts.held.clear();
  counts.logged = now;
}

}  // namespace znsim
