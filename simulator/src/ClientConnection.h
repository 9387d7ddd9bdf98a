#pragma once
/// The server's end of one client's socket, from its first byte to its close. Its phase (see
/// ConnectionPhase.h) is its one state of the login: admission asks it, and the steps a
/// connection goes through, declared below in this order, move it on:
///
///   Start -> Greet -> [Handshake] -> Pump -> Dispatch -> BeforeLogin -> LoginChecked -> Pump
///   -> Dispatch -> Send -> ... -> Close
///
/// When the server offers TLS, a connection's first byte says which it speaks: a TLS
/// handshake begins with 0x16, a plain frame with the high byte of its length, 0x00. The
/// handshake counts toward the login deadline like everything before the login. A server of a
/// pair also looks for the other server's opening (kPeerOpening) and hands such a connection
/// to its PeerHub.
///
/// Frames are read on the network thread and each request runs where its decoded kind says:
/// requests that cost microseconds at once on the thread that read them, everything that
/// waits for the disk, checks a password, builds pages or decodes a large frame on the worker
/// pool. A connection serves one request at a time, so its session needs no lock, and one
/// client's slow request holds up no one else.
///
/// A quick request costs three system calls: the loop's wait, which reports the socket
/// readable, one read, which takes all the bytes there are, and one write of the reply. The
/// next wait is for the loop again, with no read that is bound to find nothing.
#include <asio.hpp>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Admission.h"
#include "CallArena.h"
#include "ClientTransport.h"
#include "ConnectionPhase.h"
#include "FrameReader.h"
#include "Session.h"
#include "WorkerPool.h"

namespace znsim {

struct ConnectionLimits {
  std::chrono::seconds loginDeadline{5};
  std::chrono::seconds frameDeadline{5};  // a frame once begun must be complete by then
  std::chrono::seconds idleTimeout{600};  // a logged-in connection without requests
  std::uint32_t unauthenticatedFrameBytes = 64 * 1024;
};

class ClientConnection final : public std::enable_shared_from_this<ClientConnection>,
                               public Admission::Member {
 public:
  /// `socket` has a strand as its executor; every handler of the connection runs on it.
  /// `address` names the peer in logs, `source` is what admission and login limits count it
  /// under.
  ClientConnection(ClientSocket socket, std::string address, std::string source,
                   WorkerPool::Executor workers, Services& services, Admission& admission,
                   const ConnectionLimits& limits, const TransportRules& transport);
  ~ClientConnection() override;
  void Start();

  Phase phase() const override { return phase_.load(std::memory_order_acquire); }
  bool Evict() override;

 private:
  using Clock = std::chrono::steady_clock;
  struct Reply {
    std::string frame;
    std::uint32_t id = 0;
    Millis delay = 0;
    bool close = false;
    bool drop = false;  // close without replying (a fault asked for)
    bool ok = false;    // the login it answers succeeded
  };

  // Opening.
  /// Tells TLS from plain by the first byte, without taking it, and goes on with either.
  void Greet();
  /// Refuses a plain connection the rules do not let in; true when it was refused.
  bool RefusedAsPlain();
  /// Gives the connection of the other server of a pair to the PeerHub.
  void HandToPeer();
  void Handshake();
  /// Calls `next` once the socket is ready for `io`'s wish (read or write), without reading.
  void Await(ClientTransport::Io io, void (ClientConnection::*next)());

  // Reading frames.
  /// Serves the frames at hand and reads more while none is complete, until a request waits
  /// on a worker or the socket has nothing more; then waits for the loop.
  void Pump();
  /// Has the loop call Pump again after the other work at hand: the end of a turn.
  void PumpLater();
  /// Has the loop read the socket and call `next` with what came.
  void ReadSocket(void (ClientConnection::*next)());
  /// Takes TLS's plain bytes from the records at hand, or has the socket read for more;
  /// false when there were none or the connection closed.
  bool Decrypt();

  // Serving a request.
  /// Starts serving the frame at the front; true when its reply went out at once.
  bool Dispatch(std::string_view body);
  /// Decodes a small frame into request_; false (and noted) when it does not decode.
  bool Decode(std::string_view body);
  /// Before the login only a login is served.
  bool BeforeLogin(std::string_view body);
  void LoginChecked(Reply reply);
  /// Runs `work` (which makes the reply) on a worker, then `then` with its reply here.
  template <typename Work>
  void OnWorkers(Work work, void (ClientConnection::*then)(Reply));
  /// A reply made on a worker is back.
  void Replied(Reply reply);
  /// The session's answer to a decoded request (a znwire::Request or a ListReadRequest).
  template <typename Request>
  Outcome Run(const Request& request);
  /// The reply framed in `storage`, which it reuses.
  static Reply Encode(Outcome outcome, std::string storage = {});
  template <typename Storage>
  void FreeOnWorkers(Storage&& storage);

  // Replying.
  bool Send(Reply reply);
  /// Writes the reply from `offset` on; true when all of it went out at once.
  bool Write(std::size_t offset, bool close);
  /// The reply is out: the connection serves its next request.
  void Sent();
  /// Keeps the reply's storage for the next one when it is small.
  void Finish();

  // Deadlines and the end.
  void Watch();
  void Watched();
  Clock::time_point Deadline() const;
  /// Moves the phase on to `to`; false when the connection was evicted meanwhile.
  bool Advance(Phase to);
  bool closing() const { return phase() == Phase::Closing; }
  void Close(const char* why);
  /// Gives the connection's place in admission back, once.
  void Depart();

  ClientSocket socket_;
  ClientTransport transport_;
  TransportRules rules_;
  std::string address_;
  std::string source_;
  WorkerPool::Executor workers_;
  Services& services_;
  Admission& admission_;
  ConnectionLimits limits_;
  Session session_;
  znwire::FrameReader reader_;
  // The request being served, when its frame was small, and its reply are made in arena_,
  // which serves every request.
  znwire::CallArena arena_;
  znwire::Request* request_ = nullptr;
  std::string frame_;  // the reply being written; its storage serves the next one
  asio::steady_timer watchdog_;
  asio::steady_timer delay_;
  Clock::time_point started_;
  Clock::time_point lastRequest_;
  std::optional<Clock::time_point> frameBegun_;  // a frame is partly read since then
  std::optional<Clock::time_point> watchingFor_;
  std::atomic<Phase> phase_{Phase::Opening};
  bool serving_ = false;   // a request is being served
  bool awaiting_ = false;  // the loop will read the socket
};

}  // namespace znsim
