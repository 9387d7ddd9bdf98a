#pragma once
/// Where a connection comes from, as the limits count it. An IPv4 address is one source; an
/// IPv6 host is given a whole /64 by its network and can pick any address in it, so the /64 is
/// one source. An IPv4 client reaching an IPv6 socket is counted by its IPv4 address.
#include <asio/ip/address.hpp>

#include <string>

namespace znsim {

/// `address` with an IPv4-mapped IPv6 address turned back into the IPv4 one.
asio::ip::address Unmapped(const asio::ip::address& address);

/// The key the limits count `address` under: "192.0.2.7", "2001:db8:1:2::/64".
std::string SourceOf(const asio::ip::address& address);

}  // namespace znsim
