#pragma once
/// The computer names that znOpen accepts.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace znapi::detail {

inline constexpr std::uint16_t kDefaultPort = 20222;

/// How the password travels. A name without a scheme is encrypted unless the server turns out
/// to be this computer: only "plain://" sends a password across the network in clear.
enum class Transport {
  ByAddress,  // no scheme: TLS, except to a loopback address
  Tls,        // "tls://"
  Plain,      // "plain://"
};

struct ServerAddress {
  std::string host;
  std::uint16_t port = kDefaultPort;
  Transport transport = Transport::ByAddress;
  bool operator==(const ServerAddress&) const = default;
};

/// "" is 127.0.0.1 on the default port; otherwise "host", "host:port", "[v6]", "[v6]:port"
/// or a bare IPv6 address, each of them optionally after "tls://" or "plain://" (in any
/// case). Surrounding blanks are ignored. nullopt for anything malformed.
std::optional<ServerAddress> ParseComputerName(std::string_view name);

/// "host:port", or "[v6]:port": the address as a reason names it.
std::string AddressText(const ServerAddress& address);

}  // namespace znapi::detail
