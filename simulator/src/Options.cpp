#include "Options.h"

#include <charconv>

namespace znsim {

std::optional<std::pair<std::string, unsigned short>> ParseListen(const std::string& text) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  std::string host = text.substr(0, colon);
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return std::nullopt;
    host = host.substr(1, host.size() - 2);
  }
  const std::string port = text.substr(colon + 1);
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (port.empty() || ec != std::errc{} || end != port.data() + port.size() || value > 65535) {
    return std::nullopt;
  }
  return std::make_pair(host, static_cast<unsigned short>(value));
}

}  // namespace znsim
