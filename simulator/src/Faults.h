#pragma once
/// Faults on request, for rehearsals and tests: a server that answers late, drops its
/// connections, refuses logins for a while or stops answering without closing, as real
/// servers do. A client sets them with the script function SimFault (administrators only),
/// and znsim --fault starts with one. They act on clients' logins and requests, never on the
/// link between the servers of a pair.
///
///   delay MS           every reply waits MS milliseconds more, until "none"
///   drop               every connection open now is closed at its next request, unanswered
///   refuse-logins S    logins are refused for S seconds
///   silent S           replies are held back until S seconds have passed: the server seems
///                      hung, its connections stay open
///   none               clears them all
///
/// Each kind is kept apart: a delay and refused logins may hold at once.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace znsim {

/// One fault as asked for: its kind and its number (milliseconds or seconds, by kind).
struct FaultRequest {
  enum class Kind { Delay, Drop, RefuseLogins, Silent, None };
  Kind kind = Kind::None;
  std::int64_t amount = 0;
};

/// The request of a kind's name and its argument (empty when none), or why it is refused.
std::variant<FaultRequest, std::string> ParseFault(const std::string& kind,
                                                   const std::optional<std::string>& amount);
/// The same from the text of --fault: "KIND" or "KIND:AMOUNT".
std::variant<FaultRequest, std::string> ParseFaultOption(const std::string& text);
/// "delay 2000 ms", "dropping every connection open now", ... for replies and the log.
std::string Describe(const FaultRequest& request);

class Faults {
 public:
  using Clock = std::chrono::steady_clock;

  void Apply(const FaultRequest& request, Clock::time_point now = Clock::now());
  /// How long a reply made at `now` that would wait `wait` milliseconds waits with the faults.
  std::int64_t Held(std::int64_t wait, Clock::time_point now = Clock::now()) const;
  /// Seconds (rounded up) that logins are still refused for at `now`; 0 when they are not.
  std::int64_t LoginsRefusedSeconds(Clock::time_point now = Clock::now()) const;
  /// Counts the drops asked for: a connection opened when it was lower is dropped.
  std::uint64_t drops() const { return drops_.load(std::memory_order_acquire); }

 private:
  static std::int64_t Ticks(Clock::time_point t) { return t.time_since_epoch().count(); }
  std::atomic<std::int64_t> delayMillis_{0};
  std::atomic<std::uint64_t> drops_{0};
  std::atomic<std::int64_t> loginsRefusedUntil_{0};  // in Clock ticks
  std::atomic<std::int64_t> silentUntil_{0};
};

}  // namespace znsim
