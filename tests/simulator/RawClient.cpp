#include "RawClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <stdexcept>

#include "framing.h"

namespace simtest {
namespace {

// Writes each byte in a send() of its own: with Nagle off each is a segment of its own, so the
// server gets records, the hello among them, in as many reads as it cares to make.
BIO* ByteByByte(int fd) {
  static BIO_METHOD* const method = [] {
    BIO_METHOD* made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "byte by byte");
    BIO_meth_set_write(made, [](BIO* bio, const char* data, int size) {
      const int socket = static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(bio)));
      for (int i = 0; i < size; ++i) {
        if (::send(socket, data + i, 1, MSG_NOSIGNAL) != 1) return i > 0 ? i : -1;
      }
      return size;
    });
    BIO_meth_set_ctrl(made, [](BIO*, int command, long, void*) -> long {
      return command == BIO_CTRL_FLUSH ? 1 : 0;
    });
    return made;
  }();
  BIO* bio = BIO_new(method);
  BIO_set_data(bio, reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)));
  BIO_set_init(bio, 1);
  return bio;
}

}  // namespace

RawClient::RawClient(int port, const char* from, Wire wire)
    : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  sockaddr_in source{};
  source.sin_family = AF_INET;
  if (::inet_pton(AF_INET, from, &source.sin_addr) != 1 ||
      ::bind(fd_, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0) {
    ::close(fd_);
    throw std::runtime_error("bind failed");
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd_);
    throw std::runtime_error("connect failed");
  }
  const int one = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (wire == Wire::Plain) return;
  // One context for every client: making one loads the system's defaults anew.
  static SSL_CTX* const context = [] {
    // OpenSSL writes with write(): a server closing on it must fail the write, not end us.
    std::signal(SIGPIPE, SIG_IGN);
    SSL_CTX* made = SSL_CTX_new(TLS_client_method());
    SSL_CTX_set_verify(made, SSL_VERIFY_NONE, nullptr);
    // znsim ends a connection without TLS's own goodbye; that is the end of the stream here.
    SSL_CTX_set_options(made, SSL_OP_IGNORE_UNEXPECTED_EOF);
    return made;
  }();
  ssl_ = SSL_new(context);
  SetReadTimeout(std::chrono::seconds(30));
  bool started = ssl_ != nullptr;
  if (started && wire == Wire::TlsHelloOnly) {
    // The hello is made in memory and sent by hand, so that nothing reads the answer yet.
    BIO* out = BIO_new(BIO_s_mem());
    SSL_set_bio(ssl_, BIO_new(BIO_s_mem()), out);
    SSL_connect(ssl_);
    char* hello = nullptr;
    const long size = BIO_get_mem_data(out, &hello);
    pollfd answer{fd_, POLLIN, 0};
    started = size > 0 &&
              ::send(fd_, hello, static_cast<std::size_t>(size), MSG_NOSIGNAL) == size &&
              ::poll(&answer, 1, 30'000) == 1 && SSL_set_fd(ssl_, fd_) == 1;
  } else if (started && wire == Wire::TlsByteByByte) {
    SSL_set_bio(ssl_, BIO_new_socket(fd_, BIO_NOCLOSE), ByteByByte(fd_));
    started = FinishHandshake();
  } else if (started) {
    started = SSL_set_fd(ssl_, fd_) == 1 && FinishHandshake();
  }
  if (!started) {
    SSL_free(ssl_);
    ::close(fd_);
    throw std::runtime_error("TLS handshake failed");
  }
}

bool RawClient::FinishHandshake() {
  const bool done = SSL_connect(ssl_) == 1;
  ERR_clear_error();
  return done;
}

RawClient::~RawClient() {
  SSL_free(ssl_);
  ::close(fd_);
}

long RawClient::Receive(char* out, std::size_t size) {
  if (!ssl_) return ::recv(fd_, out, size, 0);
  std::size_t got = 0;
  if (SSL_read_ex(ssl_, out, size, &got) == 1) return static_cast<long>(got);
  const int error = SSL_get_error(ssl_, 0);
  ERR_clear_error();
  return error == SSL_ERROR_ZERO_RETURN || (error == SSL_ERROR_SYSCALL && errno == 0) ? 0 : -1;
}

void RawClient::SendBytes(const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    std::size_t n = 0;
    if (ssl_) {
      if (SSL_write_ex(ssl_, bytes.data() + sent, bytes.size() - sent, &n) != 1) return;
    } else {
      const ssize_t written = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (written <= 0) return;  // the server may have closed; the caller checks the outcome
      n = static_cast<std::size_t>(written);
    }
    sent += n;
  }
}

void RawClient::SetReadTimeout(std::chrono::milliseconds timeout) {
  const timeval wait{static_cast<time_t>(timeout.count() / 1000),
                     static_cast<suseconds_t>(timeout.count() % 1000 * 1000)};
  ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
}

std::optional<std::string> RawClient::ReadExactly(std::size_t n) {
  std::string out(n, '\0');
  for (std::size_t have = 0; have < n;) {
    const long got = Receive(out.data() + have, n - have);
    if (got <= 0) return std::nullopt;
    have += static_cast<std::size_t>(got);
  }
  return out;
}

std::optional<znwire::Response> RawClient::Call(znwire::Request request,
                                                std::chrono::milliseconds timeout) {
  request.set_id(nextId_++);
  SendBytes(znwire::EncodeFrame(request).value());
  auto response = ReadReply(timeout);
  if (response && response->id() != request.id()) {
    throw std::runtime_error("reply with another id");
  }
  return response;
}

std::optional<znwire::Response> RawClient::ReadReply(std::chrono::milliseconds timeout) {
  const auto body = ReadBody(timeout);
  znwire::Response response;
  if (!body || !response.ParseFromString(*body)) return std::nullopt;
  return response;
}

std::optional<std::string> RawClient::ReadBody(std::chrono::milliseconds timeout) {
  SetReadTimeout(timeout);
  const auto head = ReadExactly(znwire::kHeaderBytes);
  znwire::FrameHeader header{};
  if (head) std::copy_n(head->begin(), header.size(), header.begin());
  const auto length = head ? znwire::BodyLength(header) : std::nullopt;
  return length ? ReadExactly(*length) : std::nullopt;
}

bool RawClient::Login(const std::string& user, const std::string& password) {
  const auto response = LoginReply(user, password);
  return response && response->ok();
}

std::optional<znwire::Response> RawClient::LoginReply(const std::string& user,
                                                      const std::string& password) {
  znwire::Request request;
  request.mutable_login()->set_user(user);
  request.mutable_login()->set_password(password);
  return Call(request);
}

std::optional<znwire::Response> RawClient::TagRead(const std::string& tag) {
  znwire::Request request;
  request.mutable_tag_read()->set_tag(tag);
  return Call(request);
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
  // Reads whatever is still sent until the end of the stream, or fails on the timeout.
  SetReadTimeout(timeout);
  char buffer[256];
  long got = 0;
  errno = 0;
  while ((got = Receive(buffer, sizeof buffer)) > 0) {
  }
  return got == 0 || errno == ECONNRESET;  // a reset ends the stream too
}

znwire::Request ZncodeRequest(const std::string& text) {
  znwire::Request request;
  request.mutable_zncode()->set_function(text);
  return request;
}

}  // namespace simtest
