#pragma once
/// One client socket: reads frames, runs each request on a worker, writes the reply.
#include <asio.hpp>

#include <atomic>
#include <memory>
#include <string>

#include "Session.h"
#include "framing.h"

namespace znsim {

class ClientConnection : public std::enable_shared_from_this<ClientConnection> {
 public:
  ClientConnection(asio::ip::tcp::socket socket, asio::thread_pool& workers, Services& services,
                   std::shared_ptr<std::atomic<std::size_t>> openCount);
  ~ClientConnection();
  void Start();

 private:
  void ReadHeader();
  void ReadBody(std::uint32_t length);
  void Dispatch();
  Outcome Run(const znwire::Request& request);
  void Reply(Outcome outcome);
  void Write(std::shared_ptr<std::string> frame, bool close);
  void Close(const char* why);

  asio::ip::tcp::socket socket_;
  asio::thread_pool& workers_;
  asio::steady_timer timer_;
  asio::steady_timer loginDeadline_;
  Session session_;
  std::shared_ptr<std::atomic<std::size_t>> openCount_;
  znwire::FrameHeader header_{};
  std::string body_;
  std::uint32_t expected_ = 0;
  bool closed_ = false;
  bool loggedIn_ = false;  // session_.loggedIn() as the network thread last saw it
};

}  // namespace znsim
