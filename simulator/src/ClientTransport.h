#pragma once
/// What a client's bytes travel over: its socket as it is, or TLS on top of it. Neither reads
/// nor writes wait: each says what the socket must become ready for instead.
#include <asio/ip/tcp.hpp>

#include <cstddef>
#include <memory>
#include <string_view>

using SSL = struct ssl_st;
using SSL_CTX = struct ssl_ctx_st;

namespace znsim {

/// The stream a client speaks over: the one place that names the transport.
using ClientSocket = asio::ip::tcp::socket;

/// Which transports the server offers.
struct TransportRules {
  std::shared_ptr<SSL_CTX> tls;  // null: plain TCP only
  bool tlsOnly = false;          // plain connections are refused
  bool allowPlaintext = false;   // plain logins from other computers are served too
};

class ClientTransport {
 public:
  enum class Io { Done, WantRead, WantWrite, Failed };

  explicit ClientTransport(ClientSocket& socket) : socket_(socket) {}
  ~ClientTransport();
  ClientTransport(const ClientTransport&) = delete;
  ClientTransport& operator=(const ClientTransport&) = delete;

  /// Speaks TLS from now on, as the server; false when no session can be made.
  bool Secure(SSL_CTX* context);
  bool secure() const { return ssl_ != nullptr; }
  /// One step of the TLS handshake.
  Io Handshake();
  /// Whether the handshake has answered the client's hello: the client sent all of it.
  bool HelloAnswered() const;
  /// Done with 1 to `size` bytes in `received`; Failed when the peer closed or broke the stream.
  Io Read(char* out, std::size_t size, std::size_t& received);
  /// Done with some of `bytes` taken (`written`).
  Io Write(std::string_view bytes, std::size_t& written);
  /// After a read of `received` bytes into room for `size`: whether more may be had at once,
  /// without the socket becoming readable again.
  bool MayHoldMore(std::size_t received, std::size_t size) const;

 private:
  Io Outcome(int result) const;

  ClientSocket& socket_;
  SSL* ssl_ = nullptr;
};

}  // namespace znsim
