#pragma once
/// A loopback port held for a whole test, never given back while the test may still use it.
#include <string>

namespace testing_support {

/// Bound with SO_REUSEADDR but never listening: a connection to it is refused, and the system
/// gives it to no other socket that asks for a free port. A znsim started on it shares it
/// (znsim binds with SO_REUSEADDR too), so a server killed on a held port leaves it refused,
/// never free for another test's server, and can be started on it again.
class HeldPort {
 public:
  HeldPort();
  ~HeldPort();
  HeldPort(const HeldPort&) = delete;
  HeldPort& operator=(const HeldPort&) = delete;

  int port() const { return port_; }
  /// "127.0.0.1:PORT".
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace testing_support
