#pragma once
/// The position of a name among a million, found without a node per name: an open-addressing
/// table of positions probed by the name's hash, eight bytes a slot and at most half full. A
/// lookup reads one slot (or a few neighbours) and compares one name.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace znsim {

class NameIndex {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  /// Indexes the names nameOf(0) .. nameOf(count - 1). Returns the position of the first name
  /// that repeats an earlier one, which stays unindexed; nullopt when all are distinct.
  template <typename NameOf>
  std::optional<std::size_t> Build(std::size_t count, NameOf nameOf) {
    std::size_t size = 16;
    while (size < 2 * count) size *= 2;
    slots_.assign(size, 0);
    mask_ = size - 1;
    std::optional<std::size_t> repeated;
    for (std::size_t i = 0; i < count; ++i) {
      const std::string_view name = nameOf(i);
      const std::uint64_t hash = Hash(name);
      std::size_t at = hash & mask_;
      bool seen = false;
      for (; slots_[at] != 0; at = (at + 1) & mask_) {
        if (Tag(slots_[at]) == Tag(hash) && nameOf(Position(slots_[at])) == name) {
          seen = true;
          break;
        }
      }
      if (!seen) {
        slots_[at] = (hash & kTagBits) | (static_cast<std::uint64_t>(i) + 1);
      } else if (!repeated) {
        repeated = i;
      }
    }
    return repeated;
  }

  /// The position of `name`, npos when it is not indexed.
  template <typename NameOf>
  std::size_t Find(std::string_view name, NameOf nameOf) const {
    if (slots_.empty()) return npos;
    const std::uint64_t hash = Hash(name);
    for (std::size_t at = hash & mask_; slots_[at] != 0; at = (at + 1) & mask_) {
      if (Tag(slots_[at]) == Tag(hash) && nameOf(Position(slots_[at])) == name) {
        return Position(slots_[at]);
      }
    }
    return npos;
  }

 private:
  // A slot holds the hash's upper half, which settles most comparisons without the name, and
  // the position plus one in the lower half (0: an empty slot).
  static constexpr std::uint64_t kTagBits = 0xFFFF'FFFF'0000'0000ull;
  static std::uint64_t Hash(std::string_view name) { return std::hash<std::string_view>{}(name); }
  static std::uint64_t Tag(std::uint64_t value) { return value & kTagBits; }
  static std::size_t Position(std::uint64_t slot) { return (slot & ~kTagBits) - 1; }

  std::vector<std::uint64_t> slots_;
  std::size_t mask_ = 0;
};

}  // namespace znsim
