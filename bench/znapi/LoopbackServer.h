#pragma once
/// Loopback TCP for the benchmarks' reference servers: a listener on an ephemeral port that
/// serves one client on a thread of its own, and the blocking reads and writes they need.
#include <cstddef>
#include <functional>
#include <string>
#include <thread>

bool ReadAll(int fd, char* out, std::size_t n);
bool WriteAll(int fd, const char* data, std::size_t n);

class LoopbackServer {
 public:
  /// `serve` gets the client's socket, with TCP_NODELAY set, and returns when done with it.
  explicit LoopbackServer(std::function<void(int fd)> serve);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;
  int port() const { return port_; }
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

/// A client of a LoopbackServer with TCP_NODELAY set.
class LoopbackClient {
 public:
  explicit LoopbackClient(int port);
  ~LoopbackClient();
  LoopbackClient(const LoopbackClient&) = delete;
  LoopbackClient& operator=(const LoopbackClient&) = delete;
  /// Sends `requestBytes` and waits for `replyBytes`; false if the stream ends.
  bool RoundTrip(const char* request, std::size_t requestBytes, char* reply,
                 std::size_t replyBytes);

 private:
  int fd_ = -1;
};
