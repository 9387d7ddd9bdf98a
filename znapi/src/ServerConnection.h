#pragma once
/// One TCP connection to a server: connect and login, then one request at a time, each under
/// its deadline. Once a wait times out or the stream breaks, the connection stays unusable.
/// Every failure records its reason for the calling thread (LastError.h).
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "CallArena.h"
#include "ComputerName.h"
#include "Deadlines.h"
#include "FrameReader.h"
#include "TcpStream.h"
#include "znwire.pb.h"

namespace znapi::detail {

struct Credentials {
  std::string user;
  std::string password;
  std::int32_t mode = 0;
};

class ServerConnection {
 public:
  /// Connects and logs in, all within deadlines.connect; nullptr on any failure, including
  /// refused credentials. The connection is TLS for "tls://" and, without a scheme, whenever
  /// the address reached is not this computer's own; the credentials are then sent only once
  /// the server's certificate checked out.
  static std::shared_ptr<ServerConnection> Open(const ServerAddress& address,
                                                const Credentials& credentials,
                                                const Deadlines& deadlines);
  ServerConnection(const ServerConnection&) = delete;
  ServerConnection& operator=(const ServerConnection&) = delete;

  /// Serialises every use of the connection and of the searches and lists that belong to it.
  /// Hold it around Call().
  std::mutex& mutex() { return mutex_; }

  /// Sends `request` (its id is assigned here) and parses the response with the same id into
  /// `response`, which may live in an arena: a znwire::Response, or a message that reads the
  /// same bytes otherwise (znwire::ListReadResponse). False when the connection is unusable,
  /// breaks or the request deadline passes; a response with ok=false leaves the connection
  /// usable.
  template <class Response>
  bool Call(znwire::Request& request, Response& response);

  /// Sends `request` without waiting for its response, so that the server works on it while
  /// the caller does something else. Returns its id, 0 when the connection is unusable.
  std::uint32_t Send(znwire::Request& request);
  /// Waits, within the request deadline, for the response to the request `id` sent earlier.
  /// Responses to other outstanding requests that arrive first are kept for their own
  /// Receive; a response to nothing outstanding means the stream is out of step.
  bool Receive(std::uint32_t id, znwire::Response& response);
  /// The response to `id` will not be collected: drop it now or when it arrives.
  void Abandon(std::uint32_t id);

  /// Room for the request and reply of a short call (see CallArena), emptied for it: what it
  /// holds stays valid until the next short call on this connection.
  znwire::CallArena& FreshCallArena() {
    callArena_.Reset();
    return callArena_;
  }

  /// Whether TLS resumed a session of an earlier connection to the same server, without a
  /// whole handshake.
  bool resumedTls() const { return stream_.resumedTls(); }
  /// Closes the socket; every later Call fails.
  void Close();
  bool usable() const { return usable_; }

 private:
  ServerConnection(std::string peer, std::chrono::milliseconds requestTimeout)
      : peer_(std::move(peer)), requestTimeout_(requestTimeout) {}
  bool Connect(const ServerAddress& address, const Deadline& deadline);
  std::uint32_t SendBy(znwire::Request& request, const Deadline& deadline);
  template <class Response>
  bool ReceiveBy(std::uint32_t id, const Deadline& deadline, Response& response);
  /// Reads until a whole frame is at the front of the reader; false (and broken) on any fault.
  bool ReadFrame(const Deadline& deadline);
  /// Why a wait of the stream that ended with `error` failed.
  std::string WaitFailure(const std::error_code& error, const Deadline& deadline) const;
  /// Makes the connection unusable for good after a fault: `reason` is this call's reason,
  /// and every later call is told of it.
  void Break(std::string reason);
  /// Makes the connection unusable for good; `failure` is every later call's reason.
  void Shut(std::string failure);

  std::mutex mutex_;
  std::string peer_;     // "host:port" as the caller named it, for reasons
  std::string failure_;  // every later call's reason once the connection is unusable
  TcpStream stream_;
  // A program that reads a long list again and again would otherwise take fresh memory from
  // the system for each reply (page by page, which costs more than reading the reply).
  znwire::FrameReader reader_{znwire::kMaxFrameBytes, 4 * 1024 * 1024};
  std::string frame_;  // the request being sent; its storage serves every request
  znwire::CallArena callArena_;
  std::chrono::milliseconds requestTimeout_;
  std::uint32_t lastId_ = 0;
  bool usable_ = false;
  // A handful of requests at most are in flight (a page asked for in advance), so plain
  // vectors serve, with no allocation per call once they have grown.
  std::vector<std::uint32_t> outstanding_;  // sent, response not read yet
  std::vector<std::uint32_t> abandoned_;    // outstanding, response to be dropped
  std::vector<std::pair<std::uint32_t, std::string>> arrived_;  // read, not yet collected
};

}  // namespace znapi::detail
