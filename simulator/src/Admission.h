#pragma once
/// Who may hold a connection. Connections that have not logged in have a budget of their own;
/// when it is full, a newcomer evicts the oldest of them that is not having its password
/// checked, so idle or slow sockets can never keep a real user out, not even one at their own
/// address. How often an address may evict others is limited, so that a stream of new
/// connections from one address cannot evict a login in progress elsewhere; beyond that
/// rate it only replaces its own oldest connections. Logged-in connections have a separate
/// budget that is never evicted.
#include <chrono>
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "RateTable.h"

namespace znsim {

struct AdmissionLimits {
  std::size_t unauthenticated = 64;
  std::size_t loggedIn = 256;
  int evictionBurst = 8;  // evictions an address may cause at once, then one per interval
  std::chrono::milliseconds evictionInterval{500};
};

class Admission {
 public:
  using Clock = RateTable::Clock;

  /// A connection as admission sees it.
  class Member {
   public:
    virtual ~Member() = default;
    /// Ends the connection soon; called without any lock of this class held.
    virtual void Evict() = 0;
  };

  explicit Admission(const AdmissionLimits& limits);

  /// Admits a new connection from `address` into the unauthenticated budget, evicting another
  /// when it is full; false when no one may be evicted for it.
  bool Arrive(const std::shared_ptr<Member>& member, const std::string& address,
              Clock::time_point now = Clock::now());
  /// Its password is being checked: it is not evicted until the check ends.
  void Checking(const Member& member, bool checking);
  /// Moves a member that logged in to the logged-in budget; false when that is full.
  bool LoggedIn(const Member& member);
  /// The member is gone.
  void Leave(const Member& member);

  std::size_t unauthenticated() const;
  std::size_t loggedIn() const;

 private:
  struct Waiting {
    const Member* key;
    std::weak_ptr<Member> member;
    std::string address;
    bool checking = false;
  };
  using Queue = std::list<Waiting>;  // oldest first
  Queue::iterator Victim(const std::string& address, bool anyAddress);

  AdmissionLimits limits_;
  mutable std::mutex mutex_;
  Queue waiting_;
  std::unordered_map<const Member*, Queue::iterator> index_;
  std::unordered_set<const Member*> loggedIn_;
  RateTable evictions_;
};

}  // namespace znsim
