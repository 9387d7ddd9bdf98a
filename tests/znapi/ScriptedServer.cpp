#include "ScriptedServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "framing.h"

namespace znapi::testing {

std::string ResponseFrame(const znwire::Response& response) {
  return *znwire::EncodeFrame(response);
}

ScriptedServer::ScriptedServer(Script script) : script_(std::move(script)) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      listen(listener_, 4) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(listener_);
    throw std::runtime_error("listen failed");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
  stopping_ = true;
  thread_.join();
  close(listener_);
}

// Reads exactly n bytes unless the peer goes away or the server is stopping.
bool ScriptedServer::ReadExactly(int fd, char* out, std::size_t n) {
  while (n > 0 && !stopping_) {
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, 100);
    if (ready < 0) return false;
    if (ready == 0) continue;
    const ssize_t got = read(fd, out, n);
    if (got <= 0) return false;
    out += got;
    n -= static_cast<std::size_t>(got);
  }
  return n == 0;
}

void ScriptedServer::Serve() {
  pollfd p{listener_, POLLIN, 0};
  while (!stopping_ && poll(&p, 1, 100) == 0) {
  }
  if (stopping_) return;
  const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  znwire::FrameHeader header;
  while (ReadExactly(fd, reinterpret_cast<char*>(header.data()), header.size())) {
    const auto length = znwire::BodyLength(header);
    std::string body(length.value_or(0), '\0');
    znwire::Request request;
    if (!length || !ReadExactly(fd, body.data(), body.size()) || !request.ParseFromString(body)) {
      break;
    }
    ++requests_;
    const auto reply = script_(request);
    if (!reply) break;
    // Written a byte at a time so the client sees the reply in the smallest pieces.
    for (char c : *reply) {
      if (write(fd, &c, 1) != 1) break;
    }
  }
  close(fd);
}

}  // namespace znapi::testing
