#pragma once
/// What a client's bytes travel over: its socket as it is, or TLS on top of it. Nothing here
/// waits: TLS reads from what the loop read, and a write that cannot go on says what the socket
/// must become ready for.
///
/// TLS costs the socket no more system calls than plain TCP: the loop reads its records as it
/// reads plain bytes, into a buffer here that TLS decrypts from (so that TLS finding no whole
/// record costs nothing), and each reply's records go to the socket in one write, not one per
/// record.
#include <asio/buffer.hpp>
#include <asio/ip/tcp.hpp>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
  /// Room for bytes read from the socket, for TLS to take records from; Received() says how
  /// many a read put there. Asked for only once TLS wants more (Handshake or Read said
  /// WantRead), and nothing else touches it until Received().
  asio::mutable_buffer CipherRoom();
  void Received(std::size_t bytes) { cipherEnd_ += bytes; }
  /// One step of the TLS handshake, over the bytes received so far.
  Io Handshake();
  /// Whether the handshake has answered the client's hello: the client sent all of it.
  bool HelloAnswered() const;
  /// TLS's plain bytes, from the records received so far: Done with 1 to `size` bytes in
  /// `received`; WantRead when the socket must be read first; Failed when the peer closed or
  /// broke the stream.
  Io Read(char* out, std::size_t size, std::size_t& received);
  /// Done when all of `bytes` went out; otherwise `written` of them were taken and the rest is
  /// to be written again once the socket is writable (WantWrite), or the stream failed.
  Io Write(std::string_view bytes, std::size_t& written);

 private:
  friend struct TransportBio;
  Io Outcome(int result) const;
  /// Writes the records made so far; Done once none is left.
  Io Flush();

  ClientSocket& socket_;
  SSL* ssl_ = nullptr;
  std::vector<char> cipher_;  // records read from the socket; TLS takes them from the front
  std::size_t cipherBegin_ = 0;
  std::size_t cipherEnd_ = 0;
  std::string records_;  // records made, not yet written; they go out from the front
  std::size_t recordsSent_ = 0;
};

}  // namespace znsim
