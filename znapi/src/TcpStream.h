#pragma once
/// A connected TCP socket whose every wait ends by a deadline, at the cost of a blocking
/// socket: one send and one receive per request. A receive that starts well ahead of its
/// deadline blocks in the kernel under a receive timeout set once per connection (so the
/// server's reply wakes this thread directly, on the processor that sent it); only the last
/// stretch before a deadline is waited for with ppoll(), whose timer is exact. A stream that
/// turned to TLS waits the same way, with one receive per reply too: TLS may wait in its first
/// receive of each read only, since a record that comes in pieces could otherwise hold a read
/// past the deadline between them.
#include <asio/ip/tcp.hpp>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "TlsChannel.h"

namespace znapi::detail {

class TcpStream {
 public:
  using Clock = std::chrono::steady_clock;

  TcpStream() = default;
  ~TcpStream() { Close(); }
  TcpStream(const TcpStream&) = delete;
  TcpStream& operator=(const TcpStream&) = delete;

  /// Connects to the first of `endpoints` that accepts before `deadline`. Receives that start
  /// at least `usualWait` ahead of their deadline block in the kernel; shorter ones poll.
  /// Errors: asio::error::timed_out at the deadline, else the last endpoint's refusal.
  std::error_code Connect(const std::vector<asio::ip::tcp::endpoint>& endpoints,
                          Clock::time_point deadline, std::chrono::milliseconds usualWait);
  /// The endpoint Connect reached.
  const asio::ip::tcp::endpoint& peer() const { return peer_; }
  /// Makes the connected stream a TLS one for `host` (named `peer` in reasons), its handshake
  /// done by `deadline`. Errors: asio::error::timed_out at the deadline, else
  /// std::errc::protocol_error with the reason in `why` (a certificate not trusted or not for
  /// `host`, or no TLS server).
  std::error_code StartTls(const std::string& host, const std::string& peer,
                           Clock::time_point deadline, std::string& why);
  /// Sends all of `bytes`, or fails at the deadline (asio::error::timed_out).
  std::error_code Send(std::string_view bytes, Clock::time_point deadline);
  /// Whether StartTls resumed a session of an earlier connection to the same server.
  bool resumedTls() const { return tls_ && tls_->Resumed(); }
  /// Receives between 1 and `size` bytes into `out`. asio::error::eof when the peer closed,
  /// asio::error::timed_out at the deadline.
  std::error_code Receive(char* out, std::size_t size, Clock::time_point deadline,
                          std::size_t& received);
  void Close();

 private:
  /// Waits with ppoll() until the socket is ready for `events` or the deadline passes.
  std::error_code WaitFor(short events, Clock::time_point deadline) const;
  std::error_code SendTls(std::string_view bytes, Clock::time_point deadline);
  std::error_code ReceiveTls(char* out, std::size_t size, Clock::time_point deadline,
                             std::size_t& received);
  /// Waits for what a TLS step asked for; the step's own failure otherwise.
  std::error_code Await(TlsChannel::Status status, Clock::time_point deadline) const;

  int fd_ = -1;
  asio::ip::tcp::endpoint peer_;
  std::unique_ptr<TlsChannel> tls_;
  // The receive timeout set on the socket (zero: none), and the longest a blocking receive
  // may then overrun it: the kernel's timer wheel fires such timeouts late by up to an eighth.
  std::chrono::microseconds armed_{0};
  std::chrono::microseconds overrun_{0};
};

}  // namespace znapi::detail
