#pragma once
/// A bare client speaking the wire protocol over a plain socket, or TLS without checking the
/// server's certificate, so tests see exactly what znsim sends and can send what no
/// well-behaved library would.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "znwire.pb.h"

using SSL = struct ssl_st;

namespace simtest {

enum class Wire {
  Plain,
  Tls,
  TlsHelloOnly,   // sends its TLS hello and waits for the answer, no more (see FinishHandshake)
  TlsByteByByte,  // TLS whose every byte goes out in a send() of its own, its hello's too
};

class RawClient {
 public:
  /// Connects to 127.0.0.1:`port` from the loopback address `from` (any of 127.0.0.0/8, so
  /// a test can play clients at several addresses) and, for TLS, completes the handshake;
  /// throws when it cannot.
  explicit RawClient(int port, const char* from = "127.0.0.1", Wire wire = Wire::Plain);
  ~RawClient();
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  /// Sends one request (its id is set here) and waits for the reply; nullopt when the
  /// connection closed or nothing came within `timeout`.
  std::optional<znwire::Response> Call(
      znwire::Request request, std::chrono::milliseconds timeout = std::chrono::seconds(30));
  /// Completes the handshake of a TlsHelloOnly client; false when the server ended it.
  bool FinishHandshake();
  bool Login(const std::string& user = "Engineer", const std::string& password = "Marlow");
  std::optional<znwire::Response> LoginReply(const std::string& user, const std::string& password);
  std::optional<znwire::Response> TagRead(const std::string& tag);
  std::optional<znwire::Response> Zncode(const std::string& text);
  std::optional<znwire::Response> FindFirst(const std::string& table, std::uint32_t pageSize = 500);
  std::optional<znwire::Response> FindFetch(std::uint64_t search, std::uint64_t offset,
                                            std::uint32_t count);

  void SendBytes(const std::string& bytes);
  /// True when the server closes the connection within `timeout`.
  bool ClosedByPeer(std::chrono::milliseconds timeout = std::chrono::seconds(30));
  /// Reads one reply frame, whatever its id; nullopt when none came within `timeout`.
  std::optional<znwire::Response> ReadReply(std::chrono::milliseconds timeout);
  /// The same, left undecoded: the body of the frame.
  std::optional<std::string> ReadBody(std::chrono::milliseconds timeout);

 private:
  void SetReadTimeout(std::chrono::milliseconds timeout);
  std::optional<std::string> ReadExactly(std::size_t n);
  /// recv() or SSL_read(): the bytes read, 0 at the end of the stream, -1 on an error.
  long Receive(char* out, std::size_t size);
  int fd_ = -1;
  SSL* ssl_ = nullptr;
  std::uint32_t nextId_ = 1;
};

znwire::Request ZncodeRequest(const std::string& text);

}  // namespace simtest
