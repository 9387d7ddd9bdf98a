#pragma once
/// The TCP front: accepts connections, admits each (see Admission) and hands it to a
/// ClientConnection. Every connection's handlers run on a strand of its own, so any number
/// of network threads may run the io_context.
#include <asio.hpp>

#include <string>

#include "Admission.h"
#include "ClientConnection.h"
#include "Session.h"

namespace znsim {

class Server {
 public:
  /// Binds `host`:`port` (0 picks a free port); throws when it cannot. `admission` must
  /// outlive `io`, whose pending handlers hold connections that leave it when destroyed.
  Server(asio::io_context& io, WorkerPool& workers, Services& services, Admission& admission,
         const std::string& host, unsigned short port, const ConnectionLimits& limits);

  void Start();
  void Stop();
  asio::ip::tcp::endpoint endpoint() const { return acceptor_.local_endpoint(); }

 private:
  void Accept();
  void Admit(ClientSocket socket);

  asio::io_context& io_;
  WorkerPool& workers_;
  Services& services_;
  Admission& admission_;
  ConnectionLimits limits_;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer retry_;
};

}  // namespace znsim
