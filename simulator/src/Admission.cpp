#include "Admission.h"

#include <algorithm>

namespace znsim {

Admission::Admission(const AdmissionLimits& limits)
    : limits_(limits),
      perSource_(std::max<std::size_t>(limits.unauthenticated / 4, 1)),
      crowded_(std::max<std::size_t>(limits.unauthenticated / 2, 1)),
      claims_(limits.claimBurst, limits.claimInterval, limits.sources),
      penalties_(static_cast<int>(limits.maxPenalty / limits.penaltyStep), limits.penaltyStep,
                 limits.sources) {}

bool Admission::Arrive(const std::shared_ptr<Member>& member, const std::string& source,
                       Clock::time_point now) {
  Evicted evicted;  // let go of after the lock: a member's last owner ends it, which calls Leave
  std::lock_guard lock(mutex_);
  auto& own = sources_[source];
  bool admitted = true;
  if (own.size() >= perSource_ || (waiting_ >= crowded_ && !MayClaim(source, now))) {
    admitted = EvictOwn(source, own, now, evicted);
  } else if (waiting_ >= limits_.unauthenticated) {
    admitted = EvictElsewhere(source, now, evicted) || EvictOwn(source, own, now, evicted);
  }
  if (!admitted) {
    if (own.empty()) sources_.erase(source);
    return false;
  }
  own.push_back({member, member.get()});
  ++waiting_;
  return true;
}

bool Admission::MayClaim(const std::string& source, Clock::time_point now) {
  return penalties_.Owed(source, now) < limits_.penalizedFrom && claims_.Take(source, now);
}

bool Admission::EvictFrom(const std::string& source, Places& places, Phase phase,
                          Clock::time_point now, Evicted& evicted) {
  for (auto it = places.begin(); it != places.end(); ++it) {
    auto member = it->member.lock();  // null while its last owner is ending it
    if (!member || member->phase() != phase || !member->Evict()) continue;
    evicted.push_back(std::move(member));
    places.erase(it);
    --waiting_;
    Abandoned(source, now);
    return true;
  }
  return false;
}

bool Admission::EvictOwn(const std::string& source, Places& places, Clock::time_point now,
                         Evicted& evicted) {
  return EvictFrom(source, places, Phase::Opening, now, evicted) ||
         EvictFrom(source, places, Phase::Handshaking, now, evicted);
}

bool Admission::EvictElsewhere(const std::string& source, Clock::time_point now, Evicted& evicted) {
  std::vector<std::pair<const std::string*, Places*>> others;
  for (auto& [key, places] : sources_) {
    if (key != source) others.emplace_back(&key, &places);
  }
  std::sort(others.begin(), others.end(),
            [](const auto& a, const auto& b) { return a.second->size() > b.second->size(); });
  for (const auto& [key, places] : others) {
    if (EvictOwn(*key, *places, now, evicted)) {
      if (places->empty()) sources_.erase(*key);
      return true;
    }
  }
  return false;
}

void Admission::Abandoned(const std::string& source, Clock::time_point now) {
  penalties_.Take(source, now);  // refused once at the maximum, which then holds
}

bool Admission::Remove(const Member& member, const std::string& source) {
  const auto places = sources_.find(source);
  if (places == sources_.end()) return false;
  const auto it = std::find_if(places->second.begin(), places->second.end(),
                               [&member](const Place& place) { return place.key == &member; });
  if (it == places->second.end()) return false;
  places->second.erase(it);
  if (places->second.empty()) sources_.erase(places);
  --waiting_;
  return true;
}

bool Admission::LoggedIn(const Member& member, const std::string& source) {
  std::lock_guard lock(mutex_);
  if (loggedIn_ >= limits_.loggedIn || !Remove(member, source)) return false;
  ++loggedIn_;
  return true;
}

void Admission::LoggedOut() {
  std::lock_guard lock(mutex_);
  --loggedIn_;
}

void Admission::Leave(const Member& member, const std::string& source, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  if (Remove(member, source)) Abandoned(source, now);
}

void Admission::HandedOver(const Member& member, const std::string& source) {
  std::lock_guard lock(mutex_);
  Remove(member, source);
}

std::size_t Admission::unauthenticated() const {
  std::lock_guard lock(mutex_);
  return waiting_;
}

std::size_t Admission::loggedIn() const {
  std::lock_guard lock(mutex_);
  return loggedIn_;
}

}  // namespace znsim
