#include "RawClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "framing.h"

namespace simtest {

RawClient::RawClient(int port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd_);
    throw std::runtime_error("connect failed");
  }
  int one = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

RawClient::~RawClient() {
  if (fd_ >= 0) ::close(fd_);
}

void RawClient::SendBytes(const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;  // the server may have closed; the caller checks the outcome
    sent += static_cast<std::size_t>(n);
  }
}

std::optional<std::string> RawClient::ReadExactly(std::size_t n,
                                                  std::chrono::steady_clock::time_point deadline) {
  std::string out(n, '\0');
  std::size_t have = 0;
  while (have < n) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
    const ssize_t got = ::recv(fd_, out.data() + have, n - have, 0);
    if (got <= 0) return std::nullopt;
    have += static_cast<std::size_t>(got);
  }
  return out;
}

std::optional<znwire::Response> RawClient::Call(znwire::Request request,
                                                std::chrono::milliseconds timeout) {
  request.set_id(nextId_++);
  const auto frame = znwire::EncodeFrame(request);
  if (!frame) return std::nullopt;
  SendBytes(*frame);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  const auto head = ReadExactly(znwire::kHeaderBytes, deadline);
  if (!head) return std::nullopt;
  znwire::FrameHeader header{};
  std::copy(head->begin(), head->end(), header.begin());
  const auto length = znwire::BodyLength(header);
  if (!length) return std::nullopt;
  const auto body = ReadExactly(*length, deadline);
  if (!body) return std::nullopt;
  znwire::Response response;
  if (!response.ParseFromString(*body)) return std::nullopt;
  if (response.id() != request.id()) throw std::runtime_error("reply with another id");
  return response;
}

bool RawClient::Login(const std::string& user, const std::string& password) {
  znwire::Request request;
  request.mutable_login()->set_user(user);
  request.mutable_login()->set_password(password);
  const auto response = Call(request);
  return response && response->ok();
}

std::optional<znwire::Response> RawClient::Zncode(const std::string& text) {
  return Call(ZncodeRequest(text));
}

std::optional<znwire::Response> RawClient::FindFirst(const std::string& table,
                                                     std::uint32_t pageSize) {
  znwire::Request request;
  request.mutable_find_first()->set_table(table);
  request.mutable_find_first()->set_filter("*");
  request.mutable_find_first()->set_page_size(pageSize);
  return Call(request);
}

std::optional<znwire::Response> RawClient::FindFetch(std::uint64_t search, std::uint64_t offset,
                                                     std::uint32_t count) {
  znwire::Request request;
  request.mutable_find_fetch()->set_search(search);
  request.mutable_find_fetch()->set_offset(offset);
  request.mutable_find_fetch()->set_count(count);
  return Call(request);
}

bool RawClient::ClosedByPeer(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  char byte;
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
    const ssize_t got = ::recv(fd_, &byte, 1, 0);
    if (got <= 0) return true;
  }
}

znwire::Request ZncodeRequest(const std::string& text) {
  znwire::Request request;
  request.mutable_zncode()->set_function(text);
  return request;
}

znwire::Request TagWriteRequest(const std::string& tag, const std::string& value) {
  znwire::Request request;
  request.mutable_tag_write()->set_tag(tag);
  request.mutable_tag_write()->set_value(value);
  return request;
}

}  // namespace simtest
