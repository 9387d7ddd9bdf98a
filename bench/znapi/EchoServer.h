#pragma once
/// A loopback TCP server that answers every request of a fixed size with a reply of a fixed
/// size: the floor against which a library round trip is measured.
#include <cstddef>
#include <thread>

class EchoServer {
 public:
  EchoServer(std::size_t requestBytes, std::size_t replyBytes);
  ~EchoServer();
  EchoServer(const EchoServer&) = delete;
  EchoServer& operator=(const EchoServer&) = delete;
  int port() const { return port_; }

 private:
  void Serve();
  std::size_t requestBytes_;
  std::size_t replyBytes_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

/// A connected client of an EchoServer with TCP_NODELAY set.
class EchoClient {
 public:
  explicit EchoClient(int port);
  ~EchoClient();
  EchoClient(const EchoClient&) = delete;
  EchoClient& operator=(const EchoClient&) = delete;
  /// Sends `requestBytes` and waits for `replyBytes`; false if the stream ends.
  bool RoundTrip(const char* request, std::size_t requestBytes, char* reply,
                 std::size_t replyBytes);

 private:
  int fd_ = -1;
};
