#pragma once
/// A bare client speaking the wire protocol over a plain socket, so tests see exactly what
/// znsim sends and can send what no well-behaved library would.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "znwire.pb.h"

namespace simtest {

class RawClient {
 public:
  /// Connects to 127.0.0.1:`port` from the loopback address `from` (any of 127.0.0.0/8, so
  /// a test can play clients at several addresses); throws when it cannot.
  explicit RawClient(int port, const char* from = "127.0.0.1");
  ~RawClient();
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  /// Sends one request (its id is set here) and waits for the reply; nullopt when the
  /// connection closed or nothing came within `timeout`.
  std::optional<znwire::Response> Call(
      znwire::Request request, std::chrono::milliseconds timeout = std::chrono::seconds(30));
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
  int fd_ = -1;
  std::uint32_t nextId_ = 1;
};

znwire::Request ZncodeRequest(const std::string& text);

}  // namespace simtest
