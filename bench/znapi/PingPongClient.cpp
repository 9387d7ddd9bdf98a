#include "PingPongClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

#include "WireFormat.h"

std::pair<std::size_t, std::size_t> TagReadFrameSizes(const std::string& tag,
                                                      const std::string& value) {
  // Computed rather than encoded: the wire schema's generated code stays out of this program,
  // since libznapi.so holds its own copy and two copies in one process would clash.
  const auto delimited = [](std::size_t length) { return znwire::VarintSize(length) + length; };
  constexpr std::size_t kHeader = 4;
  constexpr std::uint32_t kTypicalId = 100000;  // ids grow with every call of a long run
  const std::size_t id = 1 + znwire::VarintSize(kTypicalId);
  const std::size_t tagRead = 1 + delimited(tag.size());
  const std::size_t request = id + 1 + delimited(tagRead);
  const std::size_t tagValue = 1 + delimited(value.size());
  const std::size_t ok = 2;
  const std::size_t reply = id + ok + 1 + delimited(tagValue);
  return {kHeader + request, kHeader + reply};
}

PingPongClient::PingPongClient(int port, std::size_t requestBytes, std::size_t replyBytes)
    : request_(requestBytes, 'q'), reply_(replyBytes, '\0') {
  const auto body = static_cast<std::uint32_t>(requestBytes - 4);
  request_[0] = static_cast<char>(body >> 24);
  request_[1] = static_cast<char>(body >> 16);
  request_[2] = static_cast<char>(body >> 8);
  request_[3] = static_cast<char>(body);
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (fd_ < 0 || connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (fd_ >= 0) close(fd_);
    throw std::runtime_error("cannot connect to the raw reference");
  }
  const int on = 1;
  setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

PingPongClient::~PingPongClient() {
  close(fd_);
}

bool PingPongClient::RoundTrip() {
  if (send(fd_, request_.data(), request_.size(), MSG_NOSIGNAL) !=
      static_cast<ssize_t>(request_.size())) {
    return false;
  }
  std::size_t got = 0;
  while (got < reply_.size()) {
    const ssize_t n = read(fd_, reply_.data() + got, reply_.size() - got);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}
