#pragma once
/// A record field as the library answers it into a fixed buffer.
#include <array>
#include <cstddef>
#include <cstdint>

namespace binding {

/// Fields are read into buffers of this many bytes; a longer text arrives cut.
inline constexpr std::size_t kFieldLength = 32;

struct FieldBuffer {
  std::int32_t result = 0;                 // the library's: 0 when it supplied nothing
  std::array<char, kFieldLength> bytes{};  // NUL-filled before the call
};

}  // namespace binding
