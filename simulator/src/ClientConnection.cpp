#include "ClientConnection.h"

#include <spdlog/spdlog.h>

namespace znsim {

namespace {

// A body is read in pieces, so memory grows with the bytes a peer really sends and not with
// the length it claims.
constexpr std::size_t kReadChunk = 64 * 1024;
// A connection that has not logged in by then is closed, so idle sockets cannot hold every
// connection slot.
constexpr auto kLoginDeadline = std::chrono::seconds(30);

std::string PeerName(const asio::ip::tcp::socket& socket) {
  asio::error_code ec;
  const auto peer = socket.remote_endpoint(ec);
  if (ec) return "unknown peer";
  return peer.address().to_string() + ":" + std::to_string(peer.port());
}

std::string PeerAddress(const asio::ip::tcp::socket& socket) {
  asio::error_code ec;
  const auto peer = socket.remote_endpoint(ec);
  return ec ? std::string("unknown") : peer.address().to_string();
}

}  // namespace

ClientConnection::ClientConnection(asio::ip::tcp::socket socket, asio::thread_pool& workers,
                                   Services& services,
                                   std::shared_ptr<std::atomic<std::size_t>> openCount)
    : socket_(std::move(socket)),
      workers_(workers),
      timer_(socket_.get_executor()),
      loginDeadline_(socket_.get_executor()),
      session_(services, PeerName(socket_), PeerAddress(socket_)),
      openCount_(std::move(openCount)) {}

ClientConnection::~ClientConnection() {
  openCount_->fetch_sub(1);
  spdlog::info("{}: connection closed", session_.peer());
}

void ClientConnection::Start() {
  spdlog::info("{}: connection opened", session_.peer());
  asio::error_code ec;
  socket_.set_option(asio::ip::tcp::no_delay(true), ec);
  loginDeadline_.expires_after(kLoginDeadline);
  loginDeadline_.async_wait([weak = weak_from_this()](asio::error_code waitError) {
    auto self = weak.lock();
    if (!waitError && self && !self->loggedIn_) self->Close("no login in time");
  });
  ReadHeader();
}

void ClientConnection::ReadHeader() {
  asio::async_read(socket_, asio::buffer(header_),
                   [self = shared_from_this()](asio::error_code ec, std::size_t) {
                     if (ec) return self->Close(nullptr);
                     const auto length = znwire::BodyLength(self->header_);
                     if (!length) return self->Close("frame over the size limit");
                     self->body_.clear();
                     self->ReadBody(*length);
                   });
}

void ClientConnection::ReadBody(std::uint32_t length) {
  if (body_.size() >= length) return Dispatch();
  const std::size_t have = body_.size();
  const std::size_t piece = std::min<std::size_t>(kReadChunk, length - have);
  body_.resize(have + piece);
  asio::async_read(socket_, asio::buffer(body_.data() + have, piece),
                   [self = shared_from_this(), length](asio::error_code ec, std::size_t) {
                     if (ec) return self->Close(nullptr);
                     self->ReadBody(length);
                   });
}

namespace {

// Requests answered from memory in microseconds run on the network thread: a hop to the
// workers and back would cost more than the work. Logins (password hashing), writes (a
// durable commit) and searches (pages of rows) go to the workers so they never hold up
// other clients.
bool AnswersAtOnce(const znwire::Request& request, bool loggedIn) {
  if (!loggedIn) return false;
  switch (request.body_case()) {
    case znwire::Request::kTagRead:
    case znwire::Request::kListRead:
      return true;
    case znwire::Request::kZncode:
      return request.zncode().function().find("TagWrite") == std::string::npos;
    default:
      return false;
  }
}

}  // namespace

Outcome ClientConnection::Run(const znwire::Request& request) {
  try {
    return session_.Handle(request);
  } catch (const std::exception& e) {
    spdlog::error("{}: request failed: {}", session_.peer(), e.what());
    Outcome outcome;
    outcome.response->set_id(request.id());
    outcome.response->set_ok(false);
    outcome.response->set_error("server error");
    return outcome;
  }
}

void ClientConnection::Dispatch() {
  auto request = std::make_shared<znwire::Request>();
  if (!request->ParseFromString(body_)) return Close("undecodable request");
  body_ = std::string();
  if (AnswersAtOnce(*request, loggedIn_)) return Reply(Run(*request));
  asio::post(workers_, [self = shared_from_this(), request] {
    Outcome outcome = self->Run(*request);
    asio::post(self->socket_.get_executor(),
               [self, outcome = std::move(outcome)]() mutable { self->Reply(std::move(outcome)); });
  });
}

void ClientConnection::Reply(Outcome outcome) {
  // The worker is done with the session until the next request is read, so this is safe.
  loggedIn_ = session_.loggedIn();
  auto frame = znwire::EncodeFrame(*outcome.response);
  if (!frame) {
    znwire::Response tooLarge;
    tooLarge.set_id(outcome.response->id());
    tooLarge.set_ok(false);
    tooLarge.set_error("reply too large");
    frame = znwire::EncodeFrame(tooLarge);
  }
  auto shared = std::make_shared<std::string>(std::move(*frame));
  const bool close = outcome.close;
  if (outcome.delay <= 0) return Write(shared, close);
  timer_.expires_after(std::chrono::milliseconds(outcome.delay));
  timer_.async_wait([self = shared_from_this(), shared, close](asio::error_code ec) {
    if (ec) return;
    self->Write(shared, close);
  });
}

void ClientConnection::Write(std::shared_ptr<std::string> frame, bool close) {
  asio::async_write(socket_, asio::buffer(*frame),
                    [self = shared_from_this(), frame, close](asio::error_code ec, std::size_t) {
                      if (ec) return self->Close(nullptr);
                      if (close) return self->Close(nullptr);
                      self->ReadHeader();
                    });
}

void ClientConnection::Close(const char* why) {
  if (closed_) return;
  closed_ = true;
  if (why != nullptr) spdlog::warn("{}: closing: {}", session_.peer(), why);
  asio::error_code ec;
  timer_.cancel();
  loginDeadline_.cancel();
  socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ec);
  socket_.close(ec);
}

}  // namespace znsim
