#pragma once
/// TLS 1.3 over a connected socket, as the client: the server's certificate must chain to the
/// system's trust store, or to the CA file named by ZNAPI_TLS_CA, and name the host that was
/// asked for. Nothing here waits, even on a blocking socket: each step says what the socket
/// must become ready for.
#include <memory>
#include <string>
#include <string_view>
#include <utility>

using SSL = struct ssl_st;

namespace znapi::detail {

class TlsChannel {
 public:
  enum class Status { Done, WantRead, WantWrite, Closed, Failed };

  /// A channel over `fd` for `host` (a name or an IP address), whose reasons name the server
  /// as `peer`; nullptr with `why` when no trust store can be loaded.
  static std::unique_ptr<TlsChannel> Begin(int fd, const std::string& host, std::string peer,
                                           std::string& why);
  ~TlsChannel();
  TlsChannel(const TlsChannel&) = delete;
  TlsChannel& operator=(const TlsChannel&) = delete;

  /// One step of the handshake. Failed leaves the reason in `why`.
  Status Handshake(std::string& why);
  /// Done with 1 to `size` bytes in `received`, or what to wait for; Closed at the peer's end.
  Status Read(char* out, std::size_t size, std::size_t& received);
  /// Whether a Read would find bytes without the socket (read ahead, or a record's rest).
  bool HasPending() const;
  /// Done with some of `bytes` written (`written`), or what to wait for.
  Status Write(std::string_view bytes, std::size_t& written);

 private:
  TlsChannel(SSL* ssl, std::string host, std::string peer)
      : ssl_(ssl), host_(std::move(host)), peer_(std::move(peer)) {}
  Status Outcome(int result);

  SSL* ssl_;
  std::string host_;
  std::string peer_;
};

}  // namespace znapi::detail
