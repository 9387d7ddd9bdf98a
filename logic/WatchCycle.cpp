#include "WatchCycle.h"

#include <utility>

#include "TextValues.h"

namespace logic {

WatchPoll::WatchPoll(binding::basZNAPI& module, std::vector<std::string> ansiTags,
                     Clock::duration interval, Clock::time_point start)
    : module_(module), tags_(std::move(ansiTags)), schedule_(start, interval) {}

WatchPoll::~WatchPoll() = default;

WatchCycle WatchPoll::Run() {
  WatchCycle cycle;
  // Stamped as the cycle begins, like the schedule that paces it: cycles that began an
  // interval apart stay that far apart however long a connect or a read took.
  cycle.time = QDateTime::currentDateTime();
  const std::int32_t connection = module_.GetConnection();
  if (connection == 0) {
    cycle.gap = true;
    cycle.reason = FromAnsi(module_.ConnectionFailure());
    if (cycle.reason.isEmpty()) cycle.reason = QStringLiteral("no server answered");
    return cycle;
  }
  // Handles are never reused, so a new number is a new connection (a failover, a reconnect)
  // that the old list does not reach.
  if (connection != listConnection_ || !list_) {
    list_.reset();
    list_ = std::make_unique<binding::ListHandle>(module_.api(), connection);
    listConnection_ = connection;
    if (list_->made()) list_->Add(tags_);
  }
  cycle.standby = module_.table().CurrentSlot == 1;
  cycle.server = FromAnsi(module_.ServerName());
  binding::ListReading reading;
  const bool read = list_->made() && list_->ReadAdded(reading);
  if (!read) {
    cycle.gap = true;
    const std::string why = module_.api().LastReason();
    cycle.reason = why.empty() ? QStringLiteral("the list read failed")
                               : QStringLiteral("the list read failed: ") + FromAnsi(why);
    list_.reset();  // made again on the next cycle
    return cycle;
  }
  cycle.values = std::move(reading.values);
  return cycle;
}

}  // namespace logic
