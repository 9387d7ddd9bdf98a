#include "CapturingRelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace testing_support {

CapturingRelay::CapturingRelay(const std::string& address, int targetPort) {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  socklen_t size = sizeof local;
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0 || ::inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 ||
      ::bind(listener_, reinterpret_cast<sockaddr*>(&local), size) != 0 ||
      ::listen(listener_, 1) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
    if (listener_ >= 0) ::close(listener_);
    throw std::runtime_error("the relay cannot listen on " + address);
  }
  port_ = ntohs(local.sin_port);
  stop_ = ::eventfd(0, EFD_CLOEXEC);
  thread_ = std::thread([this, targetPort] { Run(targetPort); });
}

CapturingRelay::~CapturingRelay() {
  const std::uint64_t one = 1;
  if (::write(stop_, &one, sizeof one) != sizeof one) ::shutdown(listener_, SHUT_RDWR);
  thread_.join();
  ::close(stop_);
  ::close(listener_);
}

std::string CapturingRelay::captured() {
  std::lock_guard lock(mutex_);
  return captured_;
}

void CapturingRelay::Run(int targetPort) {
  pollfd waiting[2] = {{listener_, POLLIN, 0}, {stop_, POLLIN, 0}};
  if (::poll(waiting, 2, -1) <= 0 || waiting[1].revents != 0) return;
  const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (client < 0) return;
  const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  target.sin_port = htons(static_cast<std::uint16_t>(targetPort));
  if (::connect(server, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
    pollfd ends[3] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {stop_, POLLIN, 0}};
    char buffer[16384];
    bool open = true;
    // Until one end closes, or the test is over.
    while (open && ::poll(ends, 3, -1) > 0 && ends[2].revents == 0) {
      for (int i = 0; i < 2 && open; ++i) {
        if (ends[i].revents == 0) continue;
        const ssize_t n = ::read(ends[i].fd, buffer, sizeof buffer);
        open = n > 0 && ::write(ends[1 - i].fd, buffer, static_cast<std::size_t>(n)) == n;
        if (n > 0) {
          std::lock_guard lock(mutex_);
          captured_.append(buffer, static_cast<std::size_t>(n));
        }
      }
    }
  }
  ::close(server);
  ::close(client);
}

}  // namespace testing_support
