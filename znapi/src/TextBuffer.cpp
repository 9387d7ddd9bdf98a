#include "TextBuffer.h"

#include <algorithm>
#include <cstring>

namespace znapi::detail {

std::int32_t CopyText(char* out, std::int32_t length, std::string_view text) {
  const std::size_t room = static_cast<std::size_t>(length) - 1;
  const std::size_t n = std::min(text.size(), room);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return static_cast<std::int32_t>(n);
}

}  // namespace znapi::detail
