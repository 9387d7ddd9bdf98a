#include "Faults.h"

#include <algorithm>
#include <charconv>

namespace znsim {

namespace {

struct KindInfo {
  const char* name;
  FaultRequest::Kind kind;
  const char* unit;  // of the amount; null when the kind takes none
  std::int64_t most;
};

constexpr KindInfo kKinds[] = {
    {"delay", FaultRequest::Kind::Delay, "milliseconds", 600'000},
    {"drop", FaultRequest::Kind::Drop, nullptr, 0},
    {"refuse-logins", FaultRequest::Kind::RefuseLogins, "seconds", 86'400},
    {"silent", FaultRequest::Kind::Silent, "seconds", 86'400},
    {"none", FaultRequest::Kind::None, nullptr, 0},
};

std::int64_t SecondsUpFrom(std::chrono::steady_clock::duration left) {
  using namespace std::chrono;
  return duration_cast<seconds>(left + seconds(1) - nanoseconds(1)).count();
}

}  // namespace

std::variant<FaultRequest, std::string> ParseFault(const std::string& kind,
                                                   const std::optional<std::string>& amount) {
  const auto info = std::find_if(std::begin(kKinds), std::end(kKinds),
                                 [&kind](const KindInfo& k) { return kind == k.name; });
  if (info == std::end(kKinds)) {
    return "unknown fault '" + kind + "': delay, drop, refuse-logins, silent or none";
  }
  FaultRequest request{info->kind, 0};
  if (!info->unit) {
    if (amount) return "the fault '" + kind + "' takes no amount";
    return request;
  }
  const std::string want = "the fault '" + kind + "' takes a whole number of " + info->unit +
                           " from 1 to " + std::to_string(info->most);
  if (!amount) return want;
  const auto [end, ec] =
      std::from_chars(amount->data(), amount->data() + amount->size(), request.amount);
  if (ec != std::errc{} || end != amount->data() + amount->size() || request.amount < 1 ||
      request.amount > info->most) {
    return want;
  }
  return request;
}

std::variant<FaultRequest, std::string> ParseFaultOption(const std::string& text) {
  const auto colon = text.find(':');
  if (colon == std::string::npos) return ParseFault(text, std::nullopt);
  return ParseFault(text.substr(0, colon), text.substr(colon + 1));
}

std::string Describe(const FaultRequest& request) {
  const std::string amount = std::to_string(request.amount);
  switch (request.kind) {
    case FaultRequest::Kind::Delay:
      return "every reply waits " + amount + " ms more";
    case FaultRequest::Kind::Drop:
      return "every connection open now is dropped at its next request";
    case FaultRequest::Kind::RefuseLogins:
      return "logins are refused for " + amount + " s";
    case FaultRequest::Kind::Silent:
      return "no reply for " + amount + " s";
    case FaultRequest::Kind::None:
      break;
  }
  return "no faults";
}

void Faults::Apply(const FaultRequest& request, Clock::time_point now) {
  const auto until = Ticks(now + std::chrono::seconds(request.amount));
  switch (request.kind) {
    case FaultRequest::Kind::Delay:
      delayMillis_.store(request.amount, std::memory_order_release);
      break;
    case FaultRequest::Kind::Drop:
      drops_.fetch_add(1, std::memory_order_acq_rel);
      break;
    case FaultRequest::Kind::RefuseLogins:
      loginsRefusedUntil_.store(until, std::memory_order_release);
      break;
    case FaultRequest::Kind::Silent:
      silentUntil_.store(until, std::memory_order_release);
      break;
    case FaultRequest::Kind::None:
      delayMillis_.store(0, std::memory_order_release);
      loginsRefusedUntil_.store(0, std::memory_order_release);
      silentUntil_.store(0, std::memory_order_release);
      break;
  }
}

std::int64_t Faults::Held(std::int64_t wait, Clock::time_point now) const {
  using namespace std::chrono;
  const auto silentLeft =
      Clock::duration(silentUntil_.load(std::memory_order_acquire)) - now.time_since_epoch();
  const std::int64_t silent =
      silentLeft > Clock::duration::zero() ? ceil<milliseconds>(silentLeft).count() : 0;
  return std::max(wait + delayMillis_.load(std::memory_order_acquire), silent);
}

std::int64_t Faults::LoginsRefusedSeconds(Clock::time_point now) const {
  const auto left =
      Clock::duration(loginsRefusedUntil_.load(std::memory_order_acquire)) - now.time_since_epoch();
  return left > Clock::duration::zero() ? SecondsUpFrom(left) : 0;
}

}  // namespace znsim
