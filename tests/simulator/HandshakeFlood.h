#pragma once
/// A client that floods a server with connections from one loopback address: it keeps
/// `sockets` of them open, each having sent `greeting` and nothing more, and opens a new one
/// as soon as the server closes one, as a process re-opening half-finished TLS handshakes
/// does. Runs on a thread of its own until destroyed.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace simtest {

/// The first bytes of a TLS client hello, of a record that announces more than follows.
std::string HalfAClientHello();

class HandshakeFlood {
 public:
  HandshakeFlood(int port, std::string from, std::string greeting, int sockets = 100);
  ~HandshakeFlood();
  HandshakeFlood(const HandshakeFlood&) = delete;
  HandshakeFlood& operator=(const HandshakeFlood&) = delete;

  /// Connections the server has closed so far.
  std::uint64_t closed() const { return closed_.load(); }
  /// Waits until the server has closed `count` connections in all; false when that did not
  /// happen within `timeout`.
  bool AwaitClosed(std::uint64_t count, std::chrono::milliseconds timeout) const;

 private:
  void Run(std::stop_token stop);

  int port_;
  std::string from_;
  std::string greeting_;
  int sockets_;
  std::atomic<std::uint64_t> closed_{0};
  std::jthread thread_;
};

}  // namespace simtest
