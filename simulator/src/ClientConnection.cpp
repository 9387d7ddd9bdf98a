#include "ClientConnection.h"

#include <spdlog/spdlog.h>

#include "FailureReason.h"
#include "PeerHub.h"
#include "SourceAddress.h"

namespace znsim {

namespace {

// Bytes asked of the socket per read: a whole usual request arrives in one read, while a
// large one grows the buffer only with the bytes the peer really sends.
constexpr std::size_t kReadChunk = 64 * 1024;
// Frames up to this size are decoded on the network thread; larger ones on a worker.
constexpr std::size_t kQuickDecodeBytes = 16 * 1024;
// A reply's storage up to this size is kept for the next reply.
constexpr std::size_t kKeepBytes = 16 * 1024;
// Buffers over this size are freed on a worker. The server's heap keeps smaller blocks for
// the next request (see main), so freeing one costs the network thread a list operation and
// handing it over would cost more: a wake-up of another thread for every list read.
constexpr std::size_t kFreeElsewhereBytes = 4 * 1024 * 1024;
// Requests one connection may have answered in a row before the thread turns to others.
constexpr int kRequestsPerTurn = 16;

Outcome Failure(std::uint32_t id, const std::string& error, bool close = false) {
  Outcome outcome;
  outcome.response->set_id(id);
  outcome.response->set_ok(false);
  outcome.response->set_error(error);
  outcome.close = close;
  return outcome;
}

// A request that does not decode is answered under the id it carries, when that can be read,
// and the stream goes on: its framing was sound.
Outcome Undecodable(std::string_view body) {
  znwire::RequestId id;
  id.ParseFromArray(body.data(), static_cast<int>(body.size()));
  return Failure(id.id(), "undecodable request");
}

ClientSocket::wait_type WaitType(ClientTransport::Io io) {
  return io == ClientTransport::Io::WantWrite ? ClientSocket::wait_write : ClientSocket::wait_read;
}

}  // namespace

ClientConnection::ClientConnection(ClientSocket socket, std::string address, std::string source,
                                   WorkerPool::Executor workers, Services& services,
                                   Admission& admission, const ConnectionLimits& limits,
                                   const TransportRules& transport)
    : socket_(std::move(socket)),
      transport_(socket_),
      rules_(transport),
      address_(std::move(address)),
      source_(std::move(source)),
      workers_(workers),
      services_(services),
      admission_(admission),
      limits_(limits),
      session_(services, address_, source_),
      reader_(limits.unauthenticatedFrameBytes),
      watchdog_(socket_.get_executor()),
      delay_(socket_.get_executor()) {}

ClientConnection::~ClientConnection() {
  Depart();
}

// ---- Opening: TCP accepted, then TLS or plain.

void ClientConnection::Start() {
  asio::dispatch(socket_.get_executor(), [self = shared_from_this()] {
    if (self->closing()) return;  // evicted before it started: its Close is on the way
    self->services_.noise.Note(self->address_, "connection opened");
    asio::error_code ec;
    self->socket_.set_option(asio::ip::tcp::no_delay(true), ec);
    // Reads and writes are made directly and must never block the network thread.
    self->socket_.non_blocking(true, ec);
    if (ec) return self->Close(nullptr);
    self->started_ = Clock::now();
    self->Watch();
    if (self->rules_.tls || self->services_.peer) return self->Greet();
    if (!self->RefusedAsPlain()) self->Pump();
  });
}

void ClientConnection::Greet() {
  unsigned char first = 0;
  asio::error_code ec;
  const std::size_t peeked =
      socket_.receive(asio::buffer(&first, 1), ClientSocket::message_peek, ec);
  if (ec == asio::error::would_block)
    return Await(ClientTransport::Io::WantRead, &ClientConnection::Greet);
  if (ec || peeked == 0) return Close(nullptr);
  if (first == kPeerOpening && services_.peer) return HandToPeer();
  if (first != 0x16 || !rules_.tls) {
    if (!RefusedAsPlain()) Pump();
    return;
  }
  if (!transport_.Secure(rules_.tls.get())) return Close("connection closed: no TLS session");
  Handshake();
}

bool ClientConnection::RefusedAsPlain() {
  if (rules_.tlsOnly) {
    Close("connection refused: plain TCP to a TLS-only server");
    return true;
  }
  if (rules_.allowPlaintext) return false;
  asio::error_code ec;
  const auto peer = Unmapped(socket_.remote_endpoint(ec).address());
  if (!ec && peer.is_loopback()) return false;
  Close(
      "connection refused: a plain-text login from another computer would send its password "
      "in clear; connect with TLS, or start the server with --allow-plaintext");
  return true;
}

void ClientConnection::HandToPeer() {
  if (phase_.exchange(Phase::Closing, std::memory_order_acq_rel) == Phase::Closing) return;
  admission_.HandedOver(*this, source_);
  watchdog_.cancel();
  asio::error_code ec;
  const auto protocol = socket_.local_endpoint(ec).protocol();
  const int socket = ec ? -1 : socket_.release(ec);
  if (!ec) services_.peer->Adopt(protocol, socket, address_);
}

void ClientConnection::Handshake() {
  const auto io = transport_.Handshake();
  if (io == ClientTransport::Io::Failed) return Close("connection closed: TLS handshake failed");
  if (io == ClientTransport::Io::Done) {
    if (Advance(Phase::AwaitingLogin)) Pump();
    return;
  }
  // A client that has sent its whole hello is answered at once and is a step ahead of the
  // sockets that never finish theirs.
  if (transport_.HelloAnswered() && !Advance(Phase::Handshaking)) return;
  if (io == ClientTransport::Io::WantRead) return ReadSocket(&ClientConnection::Handshake);
  Await(io, &ClientConnection::Handshake);
}

void ClientConnection::Await(ClientTransport::Io io, void (ClientConnection::*next)()) {
  socket_.async_wait(WaitType(io), [self = shared_from_this(), next](asio::error_code ec) {
    if (self->closing()) return;
    if (ec) return self->Close(nullptr);
    ((*self).*next)();
  });
}

// ---- Reading frames.

void ClientConnection::Pump() {
  // A client that sends request after request yields the thread now and then, so that it
  // cannot keep the other connections of this thread waiting. Each read of the socket is a
  // turn of its own.
  int budget = kRequestsPerTurn;
  while (!serving_ && !closing()) {
    switch (reader_.Poll()) {
      case znwire::FrameReader::State::Oversized:
        return Close("connection closed: frame over the size limit");
      case znwire::FrameReader::State::Ready:
        if (budget-- == 0) return PumpLater();
        frameBegun_.reset();
        serving_ = true;
        if (Dispatch(reader_.Body())) Finish();
        break;
      case znwire::FrameReader::State::NeedMore:
        if (reader_.buffered() > 0 && !frameBegun_) {
          frameBegun_ = Clock::now();
          Watch();
        }
        if (!transport_.secure()) return ReadSocket(&ClientConnection::Pump);
        if (!Decrypt()) return;
        break;
    }
  }
}

void ClientConnection::PumpLater() {
  asio::post(socket_.get_executor(), [self = shared_from_this()] { self->Pump(); });
}

// The loop reads the socket itself, plain bytes into the frame reader and TLS records into
// the transport: a read that took all there was makes it wait for the next without trying
// again, and without arming the wait anew as a bare wait would, so a request costs one wait,
// one read and one write. Nothing else touches the buffer while the read is pending: it is
// only asked for when nothing at hand can be used.
void ClientConnection::ReadSocket(void (ClientConnection::*next)()) {
  if (awaiting_) return;
  awaiting_ = true;
  const bool secure = transport_.secure();
  const auto room =
      secure ? transport_.CipherRoom() : asio::buffer(reader_.Space(kReadChunk), kReadChunk);
  socket_.async_read_some(
      room, [self = shared_from_this(), next, secure](asio::error_code ec, std::size_t n) {
        self->awaiting_ = false;
        if (self->closing()) return;
        if (ec) return self->Close(nullptr);
        if (secure) {
          self->transport_.Received(n);
        } else {
          self->reader_.Commit(n);
        }
        ((*self).*next)();
      });
}

bool ClientConnection::Decrypt() {
  std::size_t n = 0;
  switch (transport_.Read(reader_.Space(kReadChunk), kReadChunk, n)) {
    case ClientTransport::Io::Done:
      reader_.Commit(n);
      return true;
    case ClientTransport::Io::WantRead:
      ReadSocket(&ClientConnection::Pump);
      return false;
    default:
      Close(nullptr);
      return false;
  }
}

// ---- Serving a request.

bool ClientConnection::Dispatch(std::string_view body) {
  if (phase() != Phase::LoggedIn) return BeforeLogin(body);
  // A list read is taken from its frame in place, a walk over its bytes, whatever its size.
  if (const auto list = ListReadRequest::Parse(body)) {
    if (session_.IsQuick(*list)) return Send(Encode(Run(*list)));
    OnWorkers([list = *list](ClientConnection& self) { return Encode(self.Run(list)); },
              &ClientConnection::Replied);
    return false;
  }
  if (body.size() > kQuickDecodeBytes) {
    // A large request is decoded on the worker, into an arena that frees its parts at once.
    OnWorkers(
        [body](ClientConnection& self) {
          const auto arena = NewArena();
          auto* request = google::protobuf::Arena::CreateMessage<znwire::Request>(arena.get());
          if (request->ParseFromArray(body.data(), static_cast<int>(body.size()))) {
            return Encode(self.Run(*request));
          }
          self.services_.noise.Note(self.address_, "undecodable request", {}, true);
          return Encode(Undecodable(body));
        },
        &ClientConnection::Replied);
    return false;
  }
  if (!Decode(body)) return Send(Encode(Undecodable(body)));
  if (session_.IsQuick(*request_)) return Send(Encode(Run(*request_), std::move(frame_)));
  OnWorkers([](ClientConnection& self) { return Encode(self.Run(*self.request_)); },
            &ClientConnection::Replied);
  return false;
}

bool ClientConnection::Decode(std::string_view body) {
  // The last request and its reply are done with: their arena serves this one.
  arena_.Reset();
  request_ = arena_.Make<znwire::Request>();
  if (request_->ParseFromArray(body.data(), static_cast<int>(body.size()))) return true;
  services_.noise.Note(address_, "undecodable request", {}, true);
  return false;
}

bool ClientConnection::BeforeLogin(std::string_view body) {
  // Frames before the login are small (see ConnectionLimits), so decoding one here is quick.
  if (!Decode(body)) return Send(Encode(Undecodable(body)));
  if (request_->body_case() != znwire::Request::kLogin) {
    return Send(Encode(Failure(request_->id(), "log in first", true)));
  }
  // A well-formed login: from now on the connection is never evicted for a newer one.
  if (!Advance(Phase::Checking)) return false;
  if (auto refusal = session_.AdmitLogin(*request_)) return Send(Encode(std::move(*refusal)));
  OnWorkers(
      [](ClientConnection& self) {
        Outcome outcome = self.session_.Login(*self.request_);
        const bool ok = outcome.response->ok();
        Reply reply = Encode(std::move(outcome));
        reply.ok = ok;
        return reply;
      },
      &ClientConnection::LoginChecked);
  return false;
}

void ClientConnection::LoginChecked(Reply reply) {
  if (closing()) return;
  if (reply.ok) {
    if (admission_.LoggedIn(*this, source_)) {
      phase_.store(Phase::LoggedIn, std::memory_order_release);
      reader_.set_limit(znwire::kMaxFrameBytes);
    } else {
      reply = Encode(Failure(reply.id, "too many clients are logged in", true));
    }
  }
  Replied(std::move(reply));
}

template <typename Work>
void ClientConnection::OnWorkers(Work work, void (ClientConnection::*then)(Reply)) {
  // The frame stays in the reader, untouched, until Send() drops it: nothing reads while a
  // request is served.
  asio::post(workers_, [self = shared_from_this(), work = std::move(work), then] {
    Reply reply = work(*self);
    asio::post(self->socket_.get_executor(), [self, then, reply = std::move(reply)]() mutable {
      ((*self).*then)(std::move(reply));
    });
  });
}

void ClientConnection::Replied(Reply reply) {
  if (Send(std::move(reply))) Sent();
}

template <typename Request>
Outcome ClientConnection::Run(const Request& request) {
  try {
    return session_.Handle(request);
  } catch (const std::exception& e) {
    spdlog::error("{}: request failed: {}", address_, e.what());
    return Failure(request.id(), FailureReason(e));
  }
}

ClientConnection::Reply ClientConnection::Encode(Outcome outcome, std::string storage) {
  Reply reply{std::move(storage), outcome.response->id(), outcome.delay, outcome.close,
              outcome.drop};
  EncodeReply(outcome, reply.frame);
  return reply;
}

template <typename Storage>
void ClientConnection::FreeOnWorkers(Storage&& storage) {
  // Giving a large block back to the system costs a while (on a virtual machine above all);
  // a worker pays for it, not the clients waiting on the network thread.
  if (storage.capacity() > kFreeElsewhereBytes)
    asio::post(workers_, [gone = std::move(storage)] {});
  storage = {};
}

// ---- Replying.

bool ClientConnection::Send(Reply reply) {
  if (closing()) return false;
  if (reply.drop) {
    Close("connection dropped on request (SimFault)");
    return false;
  }
  FreeOnWorkers(reader_.Pop());
  frame_ = std::move(reply.frame);
  if (reply.delay <= 0) return Write(0, reply.close);
  delay_.expires_after(std::chrono::milliseconds(reply.delay));
  delay_.async_wait([self = shared_from_this(), close = reply.close](asio::error_code ec) {
    if (!ec && !self->closing() && self->Write(0, close)) self->Sent();
  });
  return false;
}

bool ClientConnection::Write(std::size_t offset, bool close) {
  // Usually the whole reply fits the socket's buffer at once; only the rest of a large one
  // waits for the loop, a piece per turn, so that the thread's other clients get theirs.
  std::size_t sent = 0;
  const auto io = transport_.Write(std::string_view(frame_).substr(offset), sent);
  if (io == ClientTransport::Io::Failed) {
    Close(nullptr);
    return false;
  }
  offset += sent;
  if (io == ClientTransport::Io::Done && offset == frame_.size()) {
    if (!close) return true;
    Close(nullptr);
    return false;
  }
  if (!transport_.secure()) {
    asio::async_write(socket_, asio::buffer(frame_) + offset,
                      [self = shared_from_this(), close](asio::error_code error, std::size_t) {
                        if (self->closing()) return;
                        if (error || close) return self->Close(nullptr);
                        self->Sent();
                      });
    return false;
  }
  const auto wait = WaitType(io == ClientTransport::Io::Done ? ClientTransport::Io::WantWrite : io);
  socket_.async_wait(wait, [self = shared_from_this(), offset, close](asio::error_code ec) {
    if (self->closing()) return;
    if (ec) return self->Close(nullptr);
    if (self->Write(offset, close)) self->Sent();
  });
  return false;
}

void ClientConnection::Sent() {
  Finish();
  Pump();
}

void ClientConnection::Finish() {
  if (frame_.capacity() <= kKeepBytes) {
    frame_.clear();
  } else {
    FreeOnWorkers(std::move(frame_));
  }
  serving_ = false;
  lastRequest_ = Clock::now();
}

// ---- Deadlines.

ClientConnection::Clock::time_point ClientConnection::Deadline() const {
  const bool loggedIn = phase() == Phase::LoggedIn;
  auto due = Clock::time_point::max();
  if (!loggedIn) due = started_ + limits_.loginDeadline;
  // A client sending a frame is not idle: the frame's own deadline holds it to account.
  if (frameBegun_) return std::min(due, *frameBegun_ + limits_.frameDeadline);
  if (loggedIn && !serving_) due = lastRequest_ + limits_.idleTimeout;
  return due;
}

// One timer watches every deadline of the connection. It is armed again only when a deadline
// comes nearer than the one it waits for; when it fires it checks and waits for the next, so
// a request costs it nothing.
void ClientConnection::Watch() {
  const auto due = Deadline();
  if (due == Clock::time_point::max() || (watchingFor_ && *watchingFor_ <= due)) return;
  watchingFor_ = due;
  watchdog_.expires_at(due);
  watchdog_.async_wait([self = shared_from_this()](asio::error_code ec) {
    if (ec != asio::error::operation_aborted) self->Watched();
  });
}

void ClientConnection::Watched() {
  watchingFor_.reset();
  if (closing()) return;
  const bool loggedIn = phase() == Phase::LoggedIn;
  const auto now = Clock::now();
  if (!loggedIn && now >= started_ + limits_.loginDeadline) {
    return Close("connection closed: no login in time");
  }
  if (frameBegun_ && now >= *frameBegun_ + limits_.frameDeadline) {
    return Close("connection closed: frame not completed in time");
  }
  if (loggedIn && !serving_ && !frameBegun_ && now >= lastRequest_ + limits_.idleTimeout) {
    return Close("connection closed: idle for too long");
  }
  Watch();
}

// ---- The end.

bool ClientConnection::Advance(Phase to) {
  Phase from = phase();
  while (from != Phase::Closing) {
    if (phase_.compare_exchange_weak(from, to, std::memory_order_acq_rel)) return true;
  }
  return false;
}

bool ClientConnection::Evict() {
  Phase phase = this->phase();
  while (phase == Phase::Opening || phase == Phase::Handshaking) {
    if (phase_.compare_exchange_weak(phase, Phase::Closing, std::memory_order_acq_rel)) {
      asio::post(socket_.get_executor(),
                 [self = shared_from_this()] { self->Close("connection evicted by a newer one"); });
      return true;
    }
  }
  return false;
}

void ClientConnection::Close(const char* why) {
  Depart();
  if (!socket_.is_open()) return;
  services_.noise.Note(address_, why ? why : "connection closed", {}, why != nullptr);
  asio::error_code ec;
  watchdog_.cancel();
  delay_.cancel();
  socket_.shutdown(ClientSocket::shutdown_both, ec);
  socket_.close(ec);
}

void ClientConnection::Depart() {
  switch (phase_.exchange(Phase::Closing, std::memory_order_acq_rel)) {
    case Phase::Closing:
      return;  // gone already, or evicted, which took its place back
    case Phase::LoggedIn:
      return admission_.LoggedOut();
    default:
      return admission_.Leave(*this, source_);
  }
}

}  // namespace znsim
