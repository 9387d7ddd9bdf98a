#pragma once
/// The fixed text buffer that the library fills with a NUL-terminated answer.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace server {

class ResultBuffer {
 public:
  /// What the library is told the buffer holds, and all it may write.
  static constexpr std::int32_t kLength = 255;

  char* data() { return bytes_.data(); }
  std::int32_t length() const { return kLength; }

  /// Everything before the first NUL, or all the bytes when the library left no NUL.
  std::string text() const {
    const auto end = std::find(bytes_.begin(), bytes_.end(), '\0');
    return std::string(bytes_.begin(), end);
  }

 private:
  std::array<char, kLength> bytes_{};  // NUL-filled, so an untouched buffer reads as ""
};

}  // namespace server
