#pragma once
/// The computer names that znOpen accepts.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace znapi::detail {

inline constexpr std::uint16_t kDefaultPort = 20222;

struct ServerAddress {
  std::string host;
  std::uint16_t port = kDefaultPort;
  bool operator==(const ServerAddress&) const = default;
};

/// "" is 127.0.0.1 on the default port; otherwise "host", "host:port", "[v6]", "[v6]:port"
/// or a bare IPv6 address. Surrounding blanks are ignored. nullopt for anything malformed.
std::optional<ServerAddress> ParseComputerName(std::string_view name);

/// "host:port", or "[v6]:port": the address as a reason names it.
std::string AddressText(const ServerAddress& address);

}  // namespace znapi::detail
