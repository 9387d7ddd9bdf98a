#include "TcpStream.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <asio/error.hpp>
#include <cerrno>

namespace znapi::detail {
namespace {

using std::chrono::microseconds;

std::error_code LastSystemError() {
  return {errno, std::system_category()};
}

bool Retry(int error) {
  return error == EINTR || error == EAGAIN || error == EWOULDBLOCK;
}

}  // namespace

std::error_code TcpStream::Connect(const std::vector<asio::ip::tcp::endpoint>& endpoints,
                                   Clock::time_point deadline,
                                   std::chrono::milliseconds usualWait) {
  Close();
  std::error_code result = asio::error::host_not_found;
  for (const auto& endpoint : endpoints) {
    fd_ = ::socket(endpoint.protocol().family(), SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) return LastSystemError();
    result = {};
    if (::connect(fd_, endpoint.data(), static_cast<socklen_t>(endpoint.size())) != 0) {
      result = errno == EINPROGRESS ? WaitFor(POLLOUT, deadline) : LastSystemError();
      if (!result) {
        int error = 0;
        socklen_t size = sizeof error;
        ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
        if (error != 0) result = {error, std::system_category()};
      }
    }
    if (!result) {
      peer_ = endpoint;
      break;
    }
    Close();
    if (result == asio::error::timed_out) return result;
  }
  if (result) return result;

  // Requests are small and answered one at a time: Nagle's delay would dominate each call.
  const int on = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  if (::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0) return LastSystemError();
  // Too short a wait leaves no room for the timer's lateness: such waits always poll.
  if (usualWait >= std::chrono::milliseconds(100)) {
    const microseconds armed = usualWait * 3 / 4;
    const timeval limit{static_cast<time_t>(armed.count() / 1'000'000),
                        static_cast<suseconds_t>(armed.count() % 1'000'000)};
    if (::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) == 0) {
      armed_ = armed;
      overrun_ = armed / 8 + std::chrono::milliseconds(20);
    }
  }
  return {};
}

std::error_code TcpStream::StartTls(const std::string& host, const std::string& peer,
                                    Clock::time_point deadline, std::string& why) {
  tls_ = TlsChannel::Begin(fd_, host, peer, why);
  if (!tls_) return std::make_error_code(std::errc::protocol_error);
  while (true) {
    const auto status = tls_->Handshake(why);
    if (status == TlsChannel::Status::Done) return {};
    if (status == TlsChannel::Status::Failed)
      return std::make_error_code(std::errc::protocol_error);
    if (const auto error = Await(status, deadline)) return error;
  }
}

std::error_code TcpStream::Send(std::string_view bytes, Clock::time_point deadline) {
  if (tls_) return SendTls(bytes, deadline);
  while (!bytes.empty()) {
    const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (!Retry(errno)) return LastSystemError();
    if (errno != EINTR) {
      if (const auto error = WaitFor(POLLOUT, deadline)) return error;
    }
  }
  return {};
}

std::error_code TcpStream::Receive(char* out, std::size_t size, Clock::time_point deadline,
                                   std::size_t& received) {
  if (tls_) return ReceiveTls(out, size, deadline, received);
  while (true) {
    const auto remaining = deadline - Clock::now();
    if (remaining <= Clock::duration::zero()) return asio::error::timed_out;
    ssize_t got;
    if (armed_ > microseconds::zero() && armed_ + overrun_ <= remaining) {
      got = ::recv(fd_, out, size, 0);
    } else {
      if (const auto error = WaitFor(POLLIN, deadline)) return error;
      got = ::recv(fd_, out, size, MSG_DONTWAIT);
    }
    if (got > 0) {
      received = static_cast<std::size_t>(got);
      return {};
    }
    if (got == 0) return asio::error::eof;
    // EAGAIN: the armed timeout ran out, or poll's readiness was spurious; look again.
    if (!Retry(errno)) return LastSystemError();
  }
}

std::error_code TcpStream::WaitFor(short events, Clock::time_point deadline) const {
  pollfd entry{fd_, events, 0};
  while (true) {
    const auto remaining = deadline - Clock::now();
    if (remaining <= Clock::duration::zero()) return asio::error::timed_out;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(remaining).count();
    const timespec limit{static_cast<time_t>(ns / 1'000'000'000),
                         static_cast<long>(ns % 1'000'000'000)};
    const int ready = ::ppoll(&entry, 1, &limit, nullptr);
    // Errors and hang-ups count as ready: the next send or receive reports them.
    if (ready > 0) return {};
    if (ready < 0 && errno != EINTR) return LastSystemError();
  }
}

std::error_code TcpStream::SendTls(std::string_view bytes, Clock::time_point deadline) {
  while (true) {
    std::size_t written = 0;
    const auto status = tls_->Write(bytes, written);
    if (status == TlsChannel::Status::Done) return {};
    bytes.remove_prefix(written);
    if (const auto error = Await(status, deadline)) return error;
  }
}

std::error_code TcpStream::ReceiveTls(char* out, std::size_t size, Clock::time_point deadline,
                                      std::size_t& received) {
  // A record TLS holds already is decrypted without the socket; otherwise, as a plain receive
  // does, TLS waits in the kernel while the deadline is far and polls first when it is near.
  bool first = true;
  while (true) {
    const auto remaining = deadline - Clock::now();
    if (remaining <= Clock::duration::zero()) return asio::error::timed_out;
    const bool mayWait = armed_ > microseconds::zero() && armed_ + overrun_ <= remaining;
    // What TLS holds may be only a record's beginning: after a try, the socket is needed.
    if (!mayWait && !(first && tls_->HasPending())) {
      if (const auto error = WaitFor(POLLIN, deadline)) return error;
    }
    first = false;
    const auto status = tls_->Read(out, size, received, mayWait);
    if (status == TlsChannel::Status::Done) return {};
    if (status == TlsChannel::Status::WantRead) continue;
    if (const auto error = Await(status, deadline)) return error;
  }
}

std::error_code TcpStream::Await(TlsChannel::Status status, Clock::time_point deadline) const {
  switch (status) {
    case TlsChannel::Status::WantRead:
      return WaitFor(POLLIN, deadline);
    case TlsChannel::Status::WantWrite:
      return WaitFor(POLLOUT, deadline);
    case TlsChannel::Status::Closed:
      return asio::error::eof;
    default:
      return std::make_error_code(std::errc::connection_reset);
  }
}

void TcpStream::Close() {
  if (fd_ < 0) return;
  tls_.reset();
  ::close(fd_);
  fd_ = -1;
  armed_ = overrun_ = microseconds::zero();
}

}  // namespace znapi::detail
