// The reference a single library call is measured against: a TCP server that answers each
// length-prefixed frame with a reply of a fixed size, with nothing but blocking reads and
// writes on a thread per client. It runs as a process of its own, as a user's server does.
// Usage: raw_pingpong REPLY_BYTES. Prints "raw pingpong listening on 127.0.0.1:PORT" once it
// serves.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

bool WriteAll(int fd, const char* data, std::size_t n) {
  while (n > 0) {
    const ssize_t put = send(fd, data, n, MSG_NOSIGNAL);
    if (put <= 0) return false;
    data += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

// One read per request where the request has arrived whole, as a server written for speed
// would: the frames it completes are answered, a partial one waits for the next read.
void Serve(int fd, const std::string& reply) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  std::vector<char> buffer(64 * 1024);
  std::size_t held = 0;
  while (true) {
    const ssize_t got = read(fd, buffer.data() + held, buffer.size() - held);
    if (got <= 0) break;
    held += static_cast<std::size_t>(got);
    std::size_t at = 0;
    while (held - at >= 4) {
      const auto* header = reinterpret_cast<const unsigned char*>(buffer.data() + at);
      const std::size_t length = (std::size_t{header[0]} << 24) | (std::size_t{header[1]} << 16) |
                                 (std::size_t{header[2]} << 8) | std::size_t{header[3]};
      if (4 + length > buffer.size()) return;  // no request of a benchmark is that large
      if (held - at < 4 + length) break;
      if (!WriteAll(fd, reply.data(), reply.size())) return;
      at += 4 + length;
    }
    std::memmove(buffer.data(), buffer.data() + at, held - at);
    held -= at;
  }
  close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::atoi(argv[1]) < 4) {
    std::fprintf(stderr, "usage: raw_pingpong REPLY_BYTES (at least 4)\n");
    return 2;
  }
  std::signal(SIGPIPE, SIG_IGN);
  const auto replyBytes = static_cast<std::size_t>(std::atoi(argv[1]));
  std::string reply(replyBytes, 'r');
  const auto body = static_cast<std::uint32_t>(replyBytes - 4);
  reply[0] = static_cast<char>(body >> 24);
  reply[1] = static_cast<char>(body >> 16);
  reply[2] = static_cast<char>(body >> 8);
  reply[3] = static_cast<char>(body);

  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      listen(listener, 16) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    std::perror("raw_pingpong: listen");
    return 1;
  }
  std::printf("raw pingpong listening on 127.0.0.1:%d\n", ntohs(address.sin_port));
  std::fflush(stdout);
  while (true) {
    const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::thread(Serve, fd, reply).detach();
  }
}
