#include "ComputerName.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

namespace znapi::detail {
namespace {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::optional<std::uint16_t> ParsePort(std::string_view text) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

std::optional<ServerAddress> ParseHostAndPort(std::string_view name) {
  if (name.empty()) return ServerAddress{"127.0.0.1", kDefaultPort};

  if (name.front() == '[') {
    const auto close = name.find(']');
    if (close == std::string_view::npos || close == 1) return std::nullopt;
    ServerAddress address{std::string(name.substr(1, close - 1)), kDefaultPort};
    const auto rest = name.substr(close + 1);
    if (rest.empty()) return address;
    if (rest.front() != ':') return std::nullopt;
    const auto port = ParsePort(rest.substr(1));
    if (!port) return std::nullopt;
    address.port = *port;
    return address;
  }

  const auto colon = name.find(':');
  if (colon == std::string_view::npos) return ServerAddress{std::string(name), kDefaultPort};
  // More than one colon without brackets can only be an IPv6 address without a port.
  if (name.find(':', colon + 1) != std::string_view::npos) {
    return ServerAddress{std::string(name), kDefaultPort};
  }
  if (colon == 0) return std::nullopt;
  const auto port = ParsePort(name.substr(colon + 1));
  if (!port) return std::nullopt;
  return ServerAddress{std::string(name.substr(0, colon)), *port};
}

bool StartsWithScheme(std::string_view name, std::string_view scheme) {
  return name.size() >= scheme.size() &&
         std::equal(scheme.begin(), scheme.end(), name.begin(), [](char a, char b) {
           return a == std::tolower(static_cast<unsigned char>(b));
         });
}

}  // namespace

std::optional<ServerAddress> ParseComputerName(std::string_view name) {
  name = Trim(name);
  constexpr std::pair<std::string_view, Transport> kSchemes[] = {{"tls://", Transport::Tls},
                                                                 {"plain://", Transport::Plain}};
  for (const auto& [scheme, transport] : kSchemes) {
    if (!StartsWithScheme(name, scheme)) continue;
    auto address = ParseHostAndPort(name.substr(scheme.size()));
    if (address) address->transport = transport;
    return address;
  }
  return ParseHostAndPort(name);
}

std::string AddressText(const ServerAddress& address) {
  const bool v6 = address.host.find(':') != std::string::npos;
  return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

}  // namespace znapi::detail
