#pragma once
/// Token buckets keyed by a text (a source address, a user name): each key may do something
/// `burst` times at once and then once per `interval`. The table forgets keys whose bucket is
/// full again, since such a key is no different from one never seen, and it never holds more
/// than `capacity` keys, so a flood of new addresses cannot grow it without bound.
#include <chrono>
#include <cstddef>
#include <string>
#include <unordered_map>

namespace znsim {

class RateTable {
 public:
  using Clock = std::chrono::steady_clock;

  RateTable(int burst, Clock::duration interval, std::size_t capacity = 4096);

  /// Takes a token from `key`'s bucket if one is left.
  bool Take(const std::string& key, Clock::time_point now);
  /// Gives back one token taken earlier.
  void Refund(const std::string& key);
  /// Fills `key`'s bucket again.
  void Reset(const std::string& key);
  /// How long until `key` has a token again; zero when it has one now.
  Clock::duration Wait(const std::string& key, Clock::time_point now) const;
  /// True when `key` has all its tokens (nothing taken recently).
  bool Full(const std::string& key, Clock::time_point now) const;
  /// How long until `key` has all its tokens again: what the takes of late still weigh.
  Clock::duration Owed(const std::string& key, Clock::time_point now) const;
  std::size_t size() const { return full_.size(); }

 private:
  /// When a key's bucket will be full again; each token taken moves it one interval later.
  Clock::time_point FullAt(const std::string& key) const;
  void MakeRoom(Clock::time_point now);

  Clock::duration interval_;
  Clock::duration span_;  // burst * interval: how far ahead FullAt may run while tokens remain
  std::size_t capacity_;
  std::unordered_map<std::string, Clock::time_point> full_;
};

}  // namespace znsim
