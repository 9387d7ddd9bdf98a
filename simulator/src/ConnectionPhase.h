#pragma once
/// Where a client's connection is in its life. Each connection holds its phase in one place,
/// and admission asks it which connections may be evicted: only those that have not proven
/// themselves yet, Opening or Handshaking, those that have said least first. A connection
/// past its TLS handshake or with a well-formed login frame is never evicted.
#include <cstdint>

namespace znsim {

enum class Phase : std::uint8_t {
  Opening,        // nothing complete yet: no TLS hello answered, no frame read
  Handshaking,    // its TLS hello is answered; the rest of the handshake is the client's turn
  AwaitingLogin,  // TLS is set up; the login frame is due
  Checking,       // a well-formed login frame came; the login is being decided
  LoggedIn,
  Closing,  // evicted or closed: nothing more is served
};

}  // namespace znsim
