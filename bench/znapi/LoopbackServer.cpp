#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace {

void NoDelay(int fd) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

}  // namespace

bool ReadAll(int fd, char* out, std::size_t n) {
  while (n > 0) {
    const ssize_t got = read(fd, out, n);
    if (got <= 0) return false;
    out += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

bool WriteAll(int fd, const char* data, std::size_t n) {
  while (n > 0) {
    const ssize_t put = send(fd, data, n, MSG_NOSIGNAL);
    if (put <= 0) return false;
    data += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

LoopbackServer::LoopbackServer(std::function<void(int fd)> serve) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  socklen_t size = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      listen(listener_, 1) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    if (listener_ >= 0) close(listener_);
    throw std::runtime_error("loopback server cannot listen");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this, serve = std::move(serve)] {
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    NoDelay(fd);
    serve(fd);
    close(fd);
  });
}

LoopbackServer::~LoopbackServer() {
  // Ends a wait in accept; a served client ends its loop when the benchmark's client closes.
  shutdown(listener_, SHUT_RDWR);
  thread_.join();
  close(listener_);
}

LoopbackClient::LoopbackClient(int port) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in address = Loopback(port);
  if (fd_ < 0 || connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (fd_ >= 0) close(fd_);
    throw std::runtime_error("loopback client cannot connect");
  }
  NoDelay(fd_);
}

LoopbackClient::~LoopbackClient() {
  close(fd_);
}

bool LoopbackClient::RoundTrip(const char* request, std::size_t requestBytes, char* reply,
                               std::size_t replyBytes) {
  return WriteAll(fd_, request, requestBytes) && ReadAll(fd_, reply, replyBytes);
}
