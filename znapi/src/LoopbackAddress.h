#pragma once
/// Whether an address is this computer's own, which decides whether a computer name without a
/// scheme may carry a password in clear.
#include <asio/ip/address.hpp>

namespace znapi::detail {

/// 127.0.0.0/8, ::1, and 127.0.0.0/8 mapped into IPv6 (::ffff:127.x.y.z), which is how a
/// dual-stack socket names an IPv4 loopback peer.
inline bool IsLoopback(const asio::ip::address& address) {
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    return asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6()).is_loopback();
  }
  return address.is_loopback();
}

}  // namespace znapi::detail
