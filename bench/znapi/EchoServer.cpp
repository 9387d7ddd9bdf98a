#include "EchoServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace {

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

EchoServer::EchoServer(std::size_t requestBytes, std::size_t replyBytes)
    : requestBytes_(requestBytes), replyBytes_(replyBytes) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  socklen_t size = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      listen(listener_, 1) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("echo server cannot listen");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

EchoServer::~EchoServer() {
  shutdown(listener_, SHUT_RDWR);
  thread_.join();
  close(listener_);
}

void EchoServer::Serve() {
  const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  NoDelay(fd);
  std::vector<char> request(requestBytes_);
  const std::vector<char> reply(replyBytes_, 'r');
  while (ReadAll(fd, request.data(), request.size()) && WriteAll(fd, reply.data(), reply.size())) {
  }
  close(fd);
}

EchoClient::EchoClient(int port) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in address = Loopback(port);
  if (fd_ < 0 || connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    throw std::runtime_error("echo client cannot connect");
  }
  NoDelay(fd_);
}

EchoClient::~EchoClient() {
  close(fd_);
}

bool EchoClient::RoundTrip(const char* request, std::size_t requestBytes, char* reply,
                           std::size_t replyBytes) {
  return WriteAll(fd_, request, requestBytes) && ReadAll(fd_, reply, replyBytes);
}
