#include "LibraryTestSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace znapi::testing {

int ClosedPort() {
  // Bound but never listening: connections to it are refused, and no other test can take it
  // while the socket lives. The socket is kept open for the life of the process on purpose.
  static const int port = [] {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      throw std::runtime_error("no free loopback port");
    }
    return static_cast<int>(ntohs(address.sin_port));
  }();
  return port;
}

}  // namespace znapi::testing
