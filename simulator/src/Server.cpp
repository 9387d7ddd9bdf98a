#include "Server.h"

#include <spdlog/spdlog.h>

#include "SourceAddress.h"

namespace znsim {

Server::Server(asio::io_context& io, WorkerPool& workers, Services& services, Admission& admission,
               const std::string& host, unsigned short port, const ConnectionLimits& limits,
               TransportRules transport)
    : io_(io),
      workers_(workers),
      services_(services),
      admission_(admission),
      limits_(limits),
      transport_(std::move(transport)),
      acceptor_(io, asio::ip::tcp::endpoint(asio::ip::make_address(host), port)),
      retry_(io) {}

void Server::Start() {
  Accept();
}

void Server::Stop() {
  asio::error_code ec;
  acceptor_.close(ec);
  retry_.cancel();
}

void Server::Accept() {
  acceptor_.async_accept(asio::make_strand(io_), [this](asio::error_code ec, ClientSocket socket) {
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
    Admit(std::move(socket));
    Accept();
  });
}

void Server::Admit(ClientSocket socket) {
  asio::error_code ec;
  const auto peer = socket.remote_endpoint(ec);
  if (ec) return;  // gone already
  const std::string address = peer.address().to_string();
  const std::string source = SourceOf(peer.address());
  auto connection =
      std::make_shared<ClientConnection>(std::move(socket), address, source, workers_.executor(),
                                         services_, admission_, limits_, transport_);
  if (!admission_.Arrive(connection, source)) {
    services_.noise.Note(address, "connection refused: no connection may be evicted for it", {},
                         true);
    return;
  }
  connection->Start();
}

}  // namespace znsim
