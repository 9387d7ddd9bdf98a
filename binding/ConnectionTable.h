#pragma once
/// The program-wide table of up to two connections: slot 0 the primary, slot 1 the standby.
#include <array>
#include <cstdint>
#include <string>

namespace binding {

/// 16-bit booleans as the windows keep them.
inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

/// The texts a connection is opened with.
struct Login {
  std::string Computer;
  std::string UserID;
  std::string Password;
  bool operator==(const Login&) const = default;
};

struct ConnectionTable {
  std::array<std::int32_t, 2> Handle{0, 0};
  std::array<std::string, 2> Computer;
  std::array<std::string, 2> UserID;
  std::array<std::string, 2> Password;
  std::array<std::int16_t, 2> OpenAllowed{kTrue, kTrue};
  std::int16_t SlotCount = 1;
  std::int16_t CurrentSlot = 0;
  std::int16_t TryPrimaryFirst = kFalse;
  /// What each slot's last znOpen was given, whether it opened or not. The texts may say
  /// something else by now: an open handle still reaches the server named here.
  std::array<Login, 2> OpenedWith;
};

/// The number of slots the computer names call for: the standby counts as a second server
/// whenever its name is filled in and differs from the primary's (exactly, letter case
/// included).
inline std::int16_t SlotCountFor(const ConnectionTable& t) {
  return (t.Computer[1].empty() || t.Computer[1] == t.Computer[0]) ? 1 : 2;
}

}  // namespace binding
