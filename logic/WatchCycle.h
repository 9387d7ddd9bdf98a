#pragma once
/// One cycle of a watch: a single list read of every watched tag through the connection rule
/// (failover, "Always Try Primary First"), paced so that cycles never pile up. The window and
/// zncheck poll with the same class, so they read, fail over and record alike.
#include <QDateTime>
#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ListHandle.h"
#include "PollSchedule.h"
#include "basZNAPI.h"

namespace logic {

/// What one cycle read.
struct WatchCycle {
  QDateTime time;        // local, when the cycle began
  bool gap = false;      // no server answered, or the read itself failed: no values at all
  bool standby = false;  // the standby answered
  QString server;        // the computer name of the server that answered ("LOCAL" for empty)
  QString reason;        // why the cycle is a gap, in the library's words when it gave them
  std::vector<binding::ListValue> values;  // one per tag in order; empty for a gap
};

class WatchPoll {
 public:
  using Clock = PollSchedule::Clock;

  /// Tags as the library takes them (Windows-1252). The first cycle is due at `start`.
  WatchPoll(binding::basZNAPI& module, std::vector<std::string> ansiTags, Clock::duration interval,
            Clock::time_point start = Clock::now());
  ~WatchPoll();
  WatchPoll(const WatchPoll&) = delete;
  WatchPoll& operator=(const WatchPoll&) = delete;

  /// One cycle: a connection from the module's table, asked afresh each time, then one read of
  /// the whole list. The list is made once per connection and its tags added once, so a cycle
  /// costs one request however many tags there are. LibraryError passes to the caller.
  WatchCycle Run();

  /// When the cycle after the one that started at `started` is due, given that it is `now`:
  /// a slow cycle stretches the interval and the cycles it overran are skipped, never run
  /// back to back.
  Clock::time_point NextDue(Clock::time_point started, Clock::time_point now) {
    return schedule_.Next(started, now);
  }
  /// Cycles skipped so far.
  std::int64_t skipped() const { return schedule_.skipped(); }

 private:
  binding::basZNAPI& module_;
  std::vector<std::string> tags_;
  PollSchedule schedule_;
  std::unique_ptr<binding::ListHandle> list_;
  std::int32_t listConnection_ = 0;  // the connection list_ was made on
};

}  // namespace logic
