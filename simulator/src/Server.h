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

struct ServerLimits {
  AdmissionLimits admission;
  ConnectionLimits connection;
};

class Server {
 public:
  /// Binds `host`:`port` (0 picks a free port); throws when it cannot.
  Server(asio::io_context& io, WorkerPool& workers, Services& services, const std::string& host,
         unsigned short port, const ServerLimits& limits);

  void Start();
  void Stop();
  asio::ip::tcp::endpoint endpoint() const { return acceptor_.local_endpoint(); }

 private:
  void Accept();
  void Admit(ClientSocket socket);

  asio::io_context& io_;
  WorkerPool& workers_;
  Services& services_;
  ServerLimits limits_;
  Admission admission_;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer retry_;
};

}  // namespace znsim
