#pragma once
/// Who may hold a connection. Connections that have not logged in share a budget, and each
/// source (see SourceOf) may hold at most a quarter of it: beyond that, a newcomer takes the
/// place of its own source's oldest connection that has not proven itself (see Phase), those
/// that have said nothing complete first. So a source that keeps opening sockets and
/// leaving them half-open only ever replaces its own, while a real client behind the same
/// address, whose TLS hello is answered at once, outlives the flood around it.
///
/// Once the budget is half full, a source may take places beyond those it holds only at a
/// rate (a burst, then one per interval), and not at all while it is penalized. Every
/// connection a source abandons (one that ends before logging in) adds to its penalty, up to
/// a maximum, and the penalty wears off as time passes; past a threshold the source is
/// penalized. When the budget is full, a source that may take a place evicts the oldest
/// connection, among those not proven, of the source that holds the most.
///
/// A proven connection is never evicted. Logged-in connections have a budget of their own.
/// The rates and penalties of at most `sources` sources are kept; beyond, those that weigh
/// least are forgotten (see RateTable), which a penalized source can only gain a little by.
#include <chrono>
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "ConnectionPhase.h"
#include "RateTable.h"

namespace znsim {

struct AdmissionLimits {
  std::size_t unauthenticated = 128;  // connections not logged in, all sources together
  std::size_t loggedIn = 256;
  int claimBurst = 4;  // places a source may take at once once the budget is half full
  std::chrono::milliseconds claimInterval{1000};
  std::chrono::seconds penaltyStep{1};  // for each connection a source abandons
  std::chrono::seconds penalizedFrom{15};
  std::chrono::seconds maxPenalty{600};
  std::size_t sources = 4096;
};

class Admission {
 public:
  using Clock = RateTable::Clock;

  /// A connection as admission sees it.
  class Member {
   public:
    virtual ~Member() = default;
    virtual Phase phase() const = 0;
    /// Ends the connection soon unless it has proven itself meanwhile; true when it ends.
    /// Called with admission's lock held, so it must not call back.
    virtual bool Evict() = 0;
  };

  explicit Admission(const AdmissionLimits& limits);

  /// Admits a new connection from `source`, evicting another when the rules above say so;
  /// false when it is refused.
  bool Arrive(const std::shared_ptr<Member>& member, const std::string& source,
              Clock::time_point now = Clock::now());
  /// The member logged in and moves to the logged-in budget; false when that is full.
  bool LoggedIn(const Member& member, const std::string& source);
  /// A member that logged in ended.
  void LoggedOut();
  /// A member that did not log in ended: its source abandoned it.
  void Leave(const Member& member, const std::string& source, Clock::time_point now = Clock::now());
  /// A member turned out to be no client (the peer of a pair) and is served elsewhere: it
  /// leaves without counting as abandoned.
  void HandedOver(const Member& member, const std::string& source);

  std::size_t unauthenticated() const;
  std::size_t loggedIn() const;

 private:
  struct Place {
    std::weak_ptr<Member> member;
    const Member* key;
  };
  using Places = std::list<Place>;  // oldest first
  using Evicted = std::vector<std::shared_ptr<Member>>;

  /// Whether `source` may take a place it does not hold, which counts it.
  bool MayClaim(const std::string& source, Clock::time_point now);
  /// Evicts the oldest member of `source`'s places that is in `phase`.
  bool EvictFrom(const std::string& source, Places& places, Phase phase, Clock::time_point now,
                 Evicted& evicted);
  /// Evicts the oldest of `source`'s members that have not proven themselves, the least
  /// advanced first.
  bool EvictOwn(const std::string& source, Places& places, Clock::time_point now, Evicted& evicted);
  /// Evicts as EvictOwn does, from the source other than `source` that holds the most.
  bool EvictElsewhere(const std::string& source, Clock::time_point now, Evicted& evicted);
  void Abandoned(const std::string& source, Clock::time_point now);
  /// Takes `member` out of `source`'s places; false when it holds none.
  bool Remove(const Member& member, const std::string& source);

  AdmissionLimits limits_;
  std::size_t perSource_;
  std::size_t crowded_;  // from this many connections not logged in, places are rationed
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Places> sources_;  // sources holding connections
  std::size_t waiting_ = 0;                          // in all of sources_
  std::size_t loggedIn_ = 0;
  RateTable claims_;
  RateTable penalties_;
};

}  // namespace znsim
