#include "Admission.h"

namespace znsim {

Admission::Admission(const AdmissionLimits& limits)
    : limits_(limits), evictions_(limits.evictionBurst, limits.evictionInterval) {}

Admission::Queue::iterator Admission::Victim(const std::string& address, bool anyAddress) {
  for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
    if (!it->checking && (anyAddress || it->address == address)) return it;
  }
  return waiting_.end();
}

bool Admission::Arrive(const std::shared_ptr<Member>& member, const std::string& address,
                       Clock::time_point now) {
  std::shared_ptr<Member> evicted;
  {
    std::lock_guard lock(mutex_);
    if (waiting_.size() >= limits_.unauthenticated) {
      const bool anyAddress = evictions_.Take(address, now);
      const auto victim = Victim(address, anyAddress);
      if (victim == waiting_.end()) return false;
      evicted = victim->member.lock();
      index_.erase(victim->key);
      waiting_.erase(victim);
    }
    waiting_.push_back({member.get(), member, address, false});
    index_[member.get()] = std::prev(waiting_.end());
  }
  if (evicted) evicted->Evict();
  return true;
}

void Admission::Checking(const Member& member, bool checking) {
  std::lock_guard lock(mutex_);
  const auto it = index_.find(&member);
  if (it != index_.end()) it->second->checking = checking;
}

bool Admission::LoggedIn(const Member& member) {
  std::lock_guard lock(mutex_);
  if (loggedIn_.size() >= limits_.loggedIn) return false;
  const auto it = index_.find(&member);
  if (it == index_.end()) return false;  // evicted meanwhile
  waiting_.erase(it->second);
  index_.erase(it);
  loggedIn_.insert(&member);
  return true;
}

void Admission::Leave(const Member& member) {
  std::lock_guard lock(mutex_);
  if (loggedIn_.erase(&member) > 0) return;
  const auto it = index_.find(&member);
  if (it == index_.end()) return;
  waiting_.erase(it->second);
  index_.erase(it);
}

std::size_t Admission::unauthenticated() const {
  std::lock_guard lock(mutex_);
  return waiting_.size();
}

std::size_t Admission::loggedIn() const {
  std::lock_guard lock(mutex_);
  return loggedIn_.size();
}

}  // namespace znsim
