#include "ServerConnection.h"

#include <asio/connect.hpp>
#include <asio/write.hpp>

#include "HostResolver.h"
#include "LastError.h"
#include "framing.h"

namespace znapi::detail {
namespace {

// Bytes asked of the socket per read when the frame length is not yet known.
constexpr std::size_t kReadChunk = 64 * 1024;

}  // namespace

ServerConnection::ServerConnection(std::string peer, std::chrono::milliseconds requestTimeout)
    : peer_(std::move(peer)), socket_(io_), requestTimeout_(requestTimeout) {}

ServerConnection::~ServerConnection() {
  Close();
}

std::shared_ptr<ServerConnection> ServerConnection::Open(const ServerAddress& address,
                                                         const Credentials& credentials,
                                                         const Deadlines& deadlines) {
  const auto deadline = Deadline::In(deadlines.connect);
  std::shared_ptr<ServerConnection> connection(
      new ServerConnection(AddressText(address), deadlines.request));
  if (!connection->Connect(address, deadline)) return nullptr;

  znwire::Request request;
  auto* login = request.mutable_login();
  login->set_user(credentials.user);
  login->set_password(credentials.password);
  login->set_mode(credentials.mode);
  connection->usable_ = true;
  const auto response = connection->ReceiveBy(connection->SendBy(request, deadline), deadline);
  if (!response) return nullptr;
  if (!response->ok()) {
    std::string reason = "login refused for user '" + credentials.user + "'";
    if (!response->error().empty()) reason += ": " + response->error();
    SetReason(reason);
    return nullptr;
  }
  return connection;
}

bool ServerConnection::Connect(const ServerAddress& address, const Deadline& deadline) {
  const auto endpoints = ResolveHost(address.host, address.port, deadline);
  if (endpoints.empty()) return false;
  asio::error_code result = asio::error::would_block;
  asio::async_connect(
      socket_, endpoints,
      [&](const asio::error_code& ec, const asio::ip::tcp::endpoint&) { result = ec; });
  const bool inTime = Await(deadline);
  if (!inTime || result) {
    SetReason(WaitFailure(result, inTime, deadline));
    return false;
  }
  // Requests are small and answered one at a time: Nagle's delay would dominate each call.
  asio::error_code ignored;
  socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
  // Direct writes must never block past a deadline; what does not fit goes through the loop.
  socket_.non_blocking(true, result);
  if (result) SetReason(WaitFailure(result, true, deadline));
  return !result;
}

std::optional<znwire::Response> ServerConnection::Call(znwire::Request& request) {
  const auto deadline = Deadline::In(requestTimeout_);
  return ReceiveBy(SendBy(request, deadline), deadline);
}

std::uint32_t ServerConnection::Send(znwire::Request& request) {
  return SendBy(request, Deadline::In(requestTimeout_));
}

std::optional<znwire::Response> ServerConnection::Receive(std::uint32_t id) {
  return ReceiveBy(id, Deadline::In(requestTimeout_));
}

void ServerConnection::Abandon(std::uint32_t id) {
  if (arrived_.erase(id) == 0 && outstanding_.contains(id)) abandoned_.insert(id);
}

std::uint32_t ServerConnection::SendBy(znwire::Request& request, const Deadline& deadline) {
  if (!usable_) {
    SetReason(failure_);
    return 0;
  }
  // Ids wrap after four billion requests; 0 stays free to mean "not sent".
  if (++lastId_ == 0) ++lastId_;
  request.set_id(lastId_);
  const auto frame = znwire::EncodeFrame(request);
  // A request too large to frame is the caller's fault, not the stream's.
  if (!frame) {
    SetReason("request too large to send");
    return 0;
  }

  // A request usually fits the socket's send buffer at once; writing it directly spares a
  // trip through the event loop on every call. Only what does not fit waits for the loop.
  asio::error_code result;
  const std::size_t sent = socket_.write_some(asio::buffer(*frame), result);
  if (result && result != asio::error::would_block) {
    Break(WaitFailure(result, true, deadline));
    return 0;
  }
  if (sent < frame->size()) {
    result = asio::error::would_block;
    asio::async_write(socket_, asio::buffer(*frame) + sent,
                      [&](const asio::error_code& ec, std::size_t) { result = ec; });
    const bool inTime = Await(deadline);
    if (!inTime || result) {
      Break(WaitFailure(result, inTime, deadline));
      return 0;
    }
  }
  outstanding_.insert(lastId_);
  return lastId_;
}

std::optional<znwire::Response> ServerConnection::ReceiveBy(std::uint32_t id,
                                                            const Deadline& deadline) {
  if (const auto kept = arrived_.find(id); kept != arrived_.end()) {
    auto response = std::move(kept->second);
    arrived_.erase(kept);
    return response;
  }
  if (!usable_) {
    SetReason(failure_);
    return std::nullopt;
  }
  if (!outstanding_.contains(id) || abandoned_.contains(id)) {
    SetReason("no reply is awaited for request " + std::to_string(id));
    return std::nullopt;
  }
  while (true) {
    auto response = ReadResponse(deadline);
    if (!response) return std::nullopt;
    const std::uint32_t got = response->id();
    if (outstanding_.erase(got) == 0) {
      Break("reply from " + peer_ + " to a request never sent");
      return std::nullopt;
    }
    if (got == id) return response;
    if (abandoned_.erase(got) == 0) arrived_.emplace(got, std::move(*response));
  }
}

std::optional<znwire::Response> ServerConnection::ReadResponse(const Deadline& deadline) {
  while (true) {
    switch (reader_.Poll()) {
      case znwire::FrameReader::State::Ready: {
        znwire::Response response;
        const auto body = reader_.Body();
        const bool parsed = response.ParseFromArray(body.data(), static_cast<int>(body.size()));
        reader_.Pop();
        if (!parsed) {
          Break("malformed reply from " + peer_);
          return std::nullopt;
        }
        return response;
      }
      case znwire::FrameReader::State::Oversized:
        Break("reply from " + peer_ + " over the frame size limit");
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
    const bool inTime = Await(deadline);
    if (!inTime || result) {
      Break(WaitFailure(result, inTime, deadline));
      return std::nullopt;
    }
    reader_.Commit(received);
  }
}

bool ServerConnection::Await(const Deadline& deadline) {
  io_.restart();
  io_.run_until(deadline.at);
  if (io_.stopped()) return true;
  asio::error_code ignored;
  socket_.close(ignored);
  // Let the cancelled operation finish so its handler no longer refers to the caller's frame.
  io_.restart();
  io_.run();
  return false;
}

std::string ServerConnection::WaitFailure(const asio::error_code& error, bool inTime,
                                          const Deadline& deadline) const {
  if (!inTime) return "no answer from " + peer_ + " within " + WaitText(deadline.wait.count());
  if (error == asio::error::connection_refused) return "connection refused by " + peer_;
  if (error == asio::error::eof) return "connection closed by " + peer_;
  if (error == asio::error::connection_reset) return "connection reset by " + peer_;
  return "connection to " + peer_ + " failed: " + error.message();
}

void ServerConnection::Break(std::string reason) {
  SetReason(reason);
  Shut("connection to " + peer_ + " failed earlier (" + reason + "); close it and open another");
}

void ServerConnection::Shut(std::string failure) {
  usable_ = false;
  failure_ = std::move(failure);
  outstanding_.clear();
  abandoned_.clear();
  arrived_.clear();
  asio::error_code ignored;
  socket_.close(ignored);
}

void ServerConnection::Close() {
  Shut("connection to " + peer_ + " is closed");
}

}  // namespace znapi::detail
