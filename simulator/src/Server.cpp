#include "Server.h"

#include <spdlog/spdlog.h>

#include "ClientConnection.h"

namespace znsim {

Server::Server(asio::io_context& io, asio::thread_pool& workers, Services& services,
               const std::string& host, unsigned short port, std::size_t maxConnections)
    : io_(io),
      workers_(workers),
      services_(services),
      acceptor_(io, asio::ip::tcp::endpoint(asio::ip::make_address(host), port)),
      retry_(io),
      maxConnections_(maxConnections) {}

void Server::Start() {
  Accept();
}

void Server::Stop() {
  asio::error_code ec;
  acceptor_.close(ec);
  retry_.cancel();
}

void Server::Accept() {
  acceptor_.async_accept([this](asio::error_code ec, asio::ip::tcp::socket socket) {
    if (ec == asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (ec) {
      // Out of descriptors or memory: accepting again at once would spin; wait a little.
      spdlog::warn("accept failed: {}", ec.message());
      retry_.expires_after(std::chrono::milliseconds(200));
      retry_.async_wait([this](asio::error_code waitError) {
        if (!waitError) Accept();
      });
      return;
    }
    if (open_->load() >= maxConnections_) {
      spdlog::warn("refusing a connection: {} are open already", maxConnections_);
      socket.close(ec);
    } else {
      open_->fetch_add(1);
      std::make_shared<ClientConnection>(std::move(socket), workers_, services_, open_)->Start();
    }
    Accept();
  });
}

}  // namespace znsim
