#pragma once
/// The fixed text buffer that the library fills with a NUL-terminated answer.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace binding {

/// What the library is told a value buffer holds, and all it may write.
inline constexpr std::int32_t kValueLength = 255;

class ResultBuffer {
 public:
  char* data() { return bytes_.data(); }
  std::int32_t length() const { return kValueLength; }
  /// NUL-filled again, as before the first call.
  void Clear() { bytes_.fill('\0'); }

  /// Everything before the first NUL, or all the bytes when the library left no NUL.
  std::string text() const {
    const auto end = std::find(bytes_.begin(), bytes_.end(), '\0');
    return std::string(bytes_.begin(), end);
  }

 private:
  std::array<char, kValueLength> bytes_{};  // NUL-filled, so an untouched buffer reads as ""
};

}  // namespace binding
