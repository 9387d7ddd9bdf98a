#include "SourceAddress.h"

#include <algorithm>

namespace znsim {

asio::ip::address Unmapped(const asio::ip::address& address) {
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    return asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
  }
  return address;
}

std::string SourceOf(const asio::ip::address& address) {
  const auto plain = Unmapped(address);
  if (plain.is_v4()) return plain.to_string();
  auto bytes = plain.to_v6().to_bytes();
  std::fill(bytes.begin() + 8, bytes.end(), 0);
  return asio::ip::address_v6(bytes).to_string() + "/64";
}

}  // namespace znsim
