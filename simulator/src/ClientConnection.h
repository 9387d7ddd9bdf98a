#pragma once
/// The server's end of one client's socket. It reads frames on the network thread and runs
/// each request where its decoded kind says: requests that cost microseconds at once on the
/// thread that read them, everything that waits for the disk, checks a password, builds pages
/// or decodes a large frame on the worker pool. A connection serves one request at a time, so
/// its session needs no lock, and one client's slow request holds up no one else.
///
/// A quick request costs the event loop one wake-up: the socket is read when the loop says it
/// is readable, the reply is written straight away, and the next wait is for the loop again,
/// with no read that is bound to find nothing.
///
/// When the server offers TLS, a connection's first byte says which it speaks: a TLS
/// handshake begins with 0x16, a plain frame with the high byte of its length, 0x00. The
/// handshake counts toward the login deadline like everything before the login.
#include <asio.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Admission.h"
#include "ClientTransport.h"
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
  ClientConnection(ClientSocket socket, std::string address, WorkerPool::Executor workers,
                   Services& services, Admission& admission, const ConnectionLimits& limits,
                   const TransportRules& transport);
  ~ClientConnection() override;
  void Start();
  void Evict() override;

 private:
  using Clock = std::chrono::steady_clock;
  struct Reply {
    std::string frame;
    std::uint32_t id = 0;
    Millis delay = 0;
    bool close = false;
  };

  /// Tells TLS from plain by the first byte, without taking it, and goes on with either.
  void Classify();
  /// Refuses a plain connection the rules do not let in; true when it was refused.
  bool RefusedAsPlain();
  void Handshake();
  /// Calls `next` once the socket is ready for `io`'s wish (read or write).
  void Await(ClientTransport::Io io, void (ClientConnection::*next)());
  /// Serves the frames at hand and reads more while none is complete, until a request waits
  /// on a worker or the socket has nothing more; then waits for the loop.
  void Pump();
  /// Has the loop call Pump again after the other work at hand: the end of a turn.
  void PumpLater();
  /// Reads a plain socket through the loop, which calls Pump with the bytes.
  void ReadPlain();
  /// Makes sure the loop will call Pump once the socket is readable again.
  void AwaitReadable();
  /// One read; false when the connection closed.
  bool ReadSome();
  /// Starts serving the frame at the front; true when its reply went out at once.
  bool Dispatch(std::string_view body);
  void RunOnWorkers(std::string_view body, bool decoded);
  /// The session's answer to a decoded request (a znwire::Request or a ListReadRequest).
  template <typename Request>
  Outcome Run(const Request& request);
  static Reply Encode(Outcome outcome);
  template <typename Storage>
  void FreeOnWorkers(Storage&& storage);
  bool Send(Reply reply);
  /// Writes the reply from `offset` on; true when all of it went out at once.
  bool Write(std::size_t offset, bool close);
  /// The reply is out; the connection may serve its next request.
  void Finish();
  void Watch();
  void Watched();
  Clock::time_point Deadline() const;
  void Close(const char* why);

  ClientSocket socket_;
  ClientTransport transport_;
  TransportRules rules_;
  std::string address_;
  WorkerPool::Executor workers_;
  Services& services_;
  Admission& admission_;
  ConnectionLimits limits_;
  Session session_;
  znwire::FrameReader reader_;
  znwire::Request request_;  // the request being served, when its frame was small
  std::string frame_;        // the reply being written
  asio::steady_timer watchdog_;
  asio::steady_timer delay_;
  Clock::time_point started_;
  Clock::time_point lastRequest_;
  std::optional<Clock::time_point> frameBegun_;  // a frame is partly read since then
  std::optional<Clock::time_point> watchingFor_;
  bool loggedIn_ = false;  // as this connection's strand knows it
  bool busy_ = false;      // a request is being served
  bool awaiting_ = false;  // the loop will report the socket readable, or read it
  bool drained_ = false;   // the last read found the socket empty: only the loop tells of more
  bool checking_ = false;  // its password is being checked
  bool closed_ = false;
};

}  // namespace znsim
