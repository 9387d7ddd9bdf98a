#pragma once
/// The TCP front: accepts connections, reads length-prefixed requests, hands each to a
/// worker thread and writes the reply. One request at a time per connection; slow work
/// (hashing, queries, disk) never runs on the network thread.
#include <asio.hpp>

#include <atomic>
#include <cstddef>
#include <string>

#include "Session.h"

namespace znsim {

class Server {
 public:
  /// Binds `host`:`port` (0 picks a free port); throws when it cannot.
  Server(asio::io_context& io, asio::thread_pool& workers, Services& services,
         const std::string& host, unsigned short port, std::size_t maxConnections);

  void Start();
  void Stop();
  asio::ip::tcp::endpoint endpoint() const { return acceptor_.local_endpoint(); }

 private:
  void Accept();

  asio::io_context& io_;
  asio::thread_pool& workers_;
  Services& services_;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer retry_;
  std::size_t maxConnections_;
  std::shared_ptr<std::atomic<std::size_t>> open_ = std::make_shared<std::atomic<std::size_t>>(0);
};

}  // namespace znsim
