#include "ServerConnection.h"

#include <asio/connect.hpp>
#include <asio/write.hpp>

#include "HostResolver.h"
#include "framing.h"

namespace znapi::detail {
namespace {

using Clock = std::chrono::steady_clock;

// Bytes asked of the socket per read when the frame length is not yet known.
constexpr std::size_t kReadChunk = 64 * 1024;

}  // namespace

ServerConnection::ServerConnection(std::chrono::milliseconds requestTimeout)
    : socket_(io_), requestTimeout_(requestTimeout) {}

ServerConnection::~ServerConnection() {
  Close();
}

std::shared_ptr<ServerConnection> ServerConnection::Open(const ServerAddress& address,
                                                         const Credentials& credentials,
                                                         const Deadlines& deadlines) {
  const auto deadline = Clock::now() + deadlines.connect;
  std::shared_ptr<ServerConnection> connection(new ServerConnection(deadlines.request));
  if (!connection->Connect(address, deadline)) return nullptr;

  znwire::Request request;
  auto* login = request.mutable_login();
  login->set_user(credentials.user);
  login->set_password(credentials.password);
  login->set_mode(credentials.mode);
  connection->usable_ = true;
  const auto response = connection->ReceiveBy(connection->SendBy(request, deadline), deadline);
  if (!response || !response->ok()) return nullptr;
  return connection;
}

bool ServerConnection::Connect(const ServerAddress& address, Clock::time_point deadline) {
  const auto endpoints = ResolveHost(address.host, address.port, deadline);
  if (endpoints.empty()) return false;
  asio::error_code result = asio::error::would_block;
  asio::async_connect(
      socket_, endpoints,
      [&](const asio::error_code& ec, const asio::ip::tcp::endpoint&) { result = ec; });
  if (!Await(deadline) || result) return false;
  // Requests are small and answered one at a time: Nagle's delay would dominate each call.
  asio::error_code ignored;
  socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
  // Direct writes must never block past a deadline; what does not fit goes through the loop.
  socket_.non_blocking(true, result);
  return !result;
}

std::optional<znwire::Response> ServerConnection::Call(znwire::Request& request) {
  const auto deadline = Clock::now() + requestTimeout_;
  return ReceiveBy(SendBy(request, deadline), deadline);
}

std::uint32_t ServerConnection::Send(znwire::Request& request) {
  return SendBy(request, Clock::now() + requestTimeout_);
}

std::optional<znwire::Response> ServerConnection::Receive(std::uint32_t id) {
  return ReceiveBy(id, Clock::now() + requestTimeout_);
}

void ServerConnection::Abandon(std::uint32_t id) {
  if (arrived_.erase(id) == 0 && outstanding_.contains(id)) abandoned_.insert(id);
}

std::uint32_t ServerConnection::SendBy(znwire::Request& request, Clock::time_point deadline) {
  if (!usable_) return 0;
  // Ids wrap after four billion requests; 0 stays free to mean "not sent".
  if (++lastId_ == 0) ++lastId_;
  request.set_id(lastId_);
  const auto frame = znwire::EncodeFrame(request);
  // A request too large to frame is the caller's fault, not the stream's.
  if (!frame) return 0;

  // A request usually fits the socket's send buffer at once; writing it directly spares a
  // trip through the event loop on every call. Only what does not fit waits for the loop.
  asio::error_code result;
  const std::size_t sent = socket_.write_some(asio::buffer(*frame), result);
  if (result && result != asio::error::would_block) {
    Break();
    return 0;
  }
  if (sent < frame->size()) {
    result = asio::error::would_block;
    asio::async_write(socket_, asio::buffer(*frame) + sent,
                      [&](const asio::error_code& ec, std::size_t) { result = ec; });
    if (!Await(deadline) || result) {
      Break();
      return 0;
    }
  }
  outstanding_.insert(lastId_);
  return lastId_;
}

std::optional<znwire::Response> ServerConnection::ReceiveBy(std::uint32_t id,
                                                            Clock::time_point deadline) {
  if (const auto kept = arrived_.find(id); kept != arrived_.end()) {
    auto response = std::move(kept->second);
    arrived_.erase(kept);
    return response;
  }
  if (!usable_ || !outstanding_.contains(id) || abandoned_.contains(id)) return std::nullopt;
  while (true) {
    auto response = ReadResponse(deadline);
    if (!response) return std::nullopt;
    const std::uint32_t got = response->id();
    if (outstanding_.erase(got) == 0) {
      Break();
      return std::nullopt;
    }
    if (got == id) return response;
    if (abandoned_.erase(got) == 0) arrived_.emplace(got, std::move(*response));
  }
}

std::optional<znwire::Response> ServerConnection::ReadResponse(Clock::time_point deadline) {
  while (true) {
    switch (reader_.Poll()) {
      case znwire::FrameReader::State::Ready: {
        znwire::Response response;
        const auto body = reader_.Body();
        const bool parsed = response.ParseFromArray(body.data(), static_cast<int>(body.size()));
        reader_.Pop();
        if (!parsed) {
          Break();
          return std::nullopt;
        }
        return response;
      }
      case znwire::FrameReader::State::Oversized:
        Break();
        return std::nullopt;
      case znwire::FrameReader::State::NeedMore:
        break;
    }
    const std::size_t want = std::max(reader_.Missing(), kReadChunk);
    std::size_t received = 0;
    asio::error_code result = asio::error::would_block;
    socket_.async_read_some(asio::buffer(reader_.Space(want), want),
                            [&](const asio::error_code& ec, std::size_t n) {
                              result = ec;
                              received = n;
                            });
    if (!Await(deadline) || result) {
      Break();
      return std::nullopt;
    }
    reader_.Commit(received);
  }
}

bool ServerConnection::Await(Clock::time_point deadline) {
  io_.restart();
  io_.run_until(deadline);
  if (io_.stopped()) return true;
  asio::error_code ignored;
  socket_.close(ignored);
  // Let the cancelled operation finish so its handler no longer refers to the caller's frame.
  io_.restart();
  io_.run();
  return false;
}

void ServerConnection::Break() {
  usable_ = false;
  outstanding_.clear();
  abandoned_.clear();
  arrived_.clear();
  asio::error_code ignored;
  socket_.close(ignored);
}

void ServerConnection::Close() {
  Break();
}

}  // namespace znapi::detail
