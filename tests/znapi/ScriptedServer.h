#pragma once
/// A one-connection TCP server on 127.0.0.1 whose replies a test scripts byte for byte, so
/// that the client can be shown replies no well-behaved server would send.
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "znwire.pb.h"

namespace znapi::testing {

class ScriptedServer {
 public:
  /// Bytes to send for a request: empty sends nothing (the server stays silent), nullopt
  /// hangs up.
  using Script = std::function<std::optional<std::string>(const znwire::Request&)>;

  explicit ScriptedServer(Script script);
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int port() const { return port_; }
  int requests() const { return requests_; }

 private:
  void Serve();
  bool ReadExactly(int fd, char* out, std::size_t n);
  Script script_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<int> requests_{0};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

/// A response frame; `id` echoes the request.
std::string ResponseFrame(const znwire::Response& response);
inline std::string ResponseFrame(std::uint32_t id, bool ok) {
  znwire::Response response;
  response.set_id(id);
  response.set_ok(ok);
  return ResponseFrame(response);
}

}  // namespace znapi::testing
