#pragma once
/// TLS 1.3 over a connected socket, as the client: the server's certificate must chain to the
/// system's trust store, or to the CA file named by ZNAPI_TLS_CA, and name the host that was
/// asked for. Nothing here waits, even on a blocking socket, unless a read allows it: each
/// step says what the socket must become ready for.
///
/// A connection to a server this process reached before (the same host:port, the same trust
/// store) resumes that session with its ticket: no certificates cross the wire, and what was
/// checked of them then still holds, since only that server can read the ticket.
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
  /// as `peer` ("host:port"); nullptr with `why` when no trust store can be loaded.
  static std::unique_ptr<TlsChannel> Begin(int fd, const std::string& host, std::string peer,
                                           std::string& why);
  ~TlsChannel();
  TlsChannel(const TlsChannel&) = delete;
  TlsChannel& operator=(const TlsChannel&) = delete;

  /// One step of the handshake. Failed leaves the reason in `why`.
  Status Handshake(std::string& why);
  /// Done with 1 to `size` bytes in `received`, or what to wait for; Closed at the peer's end.
  /// With `mayWait`, the first receive from the socket may wait in the kernel (under the
  /// socket's receive timeout): a reply then costs one system call. Later receives of the same
  /// read never wait, so a record that arrives in pieces cannot hold it past that timeout.
  Status Read(char* out, std::size_t size, std::size_t& received, bool mayWait);
  /// Whether a Read would find bytes without the socket (read ahead, or a record's rest).
  bool HasPending() const;
  /// Done when all of `bytes` went out; otherwise `written` of them were taken and the rest is
  /// to be written again once the socket is ready (WantWrite), or the stream failed.
  Status Write(std::string_view bytes, std::size_t& written);
  /// Whether the handshake resumed a session of an earlier connection.
  bool Resumed() const;

 private:
  friend struct SocketBio;
  friend struct SessionCache;
  TlsChannel(SSL* ssl, int fd, std::string host, std::string peer)
      : ssl_(ssl), fd_(fd), host_(std::move(host)), peer_(std::move(peer)) {}
  Status Outcome(int result);
  /// Sends the records made so far; Done once none is left.
  Status Flush();

  SSL* ssl_;
  int fd_;
  bool mayWait_ = false;  // the next receive may wait in the kernel
  std::string records_;   // records made, not yet sent; they go out from the front
  std::size_t recordsSent_ = 0;
  std::string host_;
  std::string peer_;
};

}  // namespace znapi::detail
