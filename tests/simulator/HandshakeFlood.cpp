#include "HandshakeFlood.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace simtest {

std::string HalfAClientHello() {
  // A record of 512 bytes announced, holding a client hello of 508, of which 100 follow.
  std::string hello("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11);
  hello.resize(11 + 100, '\x5a');
  return hello;
}

namespace {

// A socket from `from` connecting to 127.0.0.1:`port` without waiting; -1 when none can be
// made now.
int Open(int port, const std::string& from) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int one = 1;
  // The port is chosen at connect time, so that thousands of connections to the server can
  // share local ports with other peers.
  ::setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
  sockaddr_in source{};
  source.sin_family = AF_INET;
  ::inet_pton(AF_INET, from.c_str(), &source.sin_addr);
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(static_cast<std::uint16_t>(port));
  server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0 ||
      (::connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0 &&
       errno != EINPROGRESS)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

HandshakeFlood::HandshakeFlood(int port, std::string from, std::string greeting, int sockets)
    : port_(port),
      from_(std::move(from)),
      greeting_(std::move(greeting)),
      sockets_(sockets),
      thread_([this](std::stop_token stop) { Run(stop); }) {}

HandshakeFlood::~HandshakeFlood() {
  thread_.request_stop();
  thread_.join();
}

bool HandshakeFlood::AwaitClosed(std::uint64_t count, std::chrono::milliseconds timeout) const {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (closed_.load() < count) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void HandshakeFlood::Run(std::stop_token stop) {
  // Each socket is first waited on for writing (connected: send the greeting), then for
  // reading (whatever the server sends, then its close).
  std::vector<pollfd> polls(static_cast<std::size_t>(sockets_), pollfd{-1, 0, 0});
  char sink[4096];
  while (!stop.stop_requested()) {
    for (auto& p : polls) {
      if (p.fd < 0 && (p.fd = Open(port_, from_)) >= 0) p.events = POLLOUT;
    }
    if (::poll(polls.data(), polls.size(), 50) <= 0) continue;
    for (auto& p : polls) {
      if (p.fd < 0 || p.revents == 0) continue;
      bool ended = (p.revents & (POLLERR | POLLNVAL)) != 0;
      if (!ended && p.events == POLLOUT) {
        ended = ::send(p.fd, greeting_.data(), greeting_.size(), MSG_NOSIGNAL) < 0;
        p.events = POLLIN;
      } else if (!ended) {
        const ssize_t got = ::recv(p.fd, sink, sizeof sink, 0);
        ended = got == 0 || (got < 0 && errno != EAGAIN);
      }
      if (ended) {
        ::close(p.fd);
        p.fd = -1;
        ++closed_;
      }
    }
  }
  for (const auto& p : polls) {
    if (p.fd >= 0) ::close(p.fd);
  }
}

}  // namespace simtest
