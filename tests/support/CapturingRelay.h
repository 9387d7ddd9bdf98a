#pragma once
/// A relay between a client and a server that keeps every byte crossing it: what a packet
/// capture on the path would show.
#include <mutex>
#include <string>
#include <thread>

namespace testing_support {

class CapturingRelay {
 public:
  /// Listens on `address` (IPv4, port chosen by the system) and passes its first connection
  /// on to 127.0.0.1:`targetPort`, both ways, until either side closes.
  CapturingRelay(const std::string& address, int targetPort);
  ~CapturingRelay();
  CapturingRelay(const CapturingRelay&) = delete;
  CapturingRelay& operator=(const CapturingRelay&) = delete;

  int port() const { return port_; }
  /// Every byte relayed so far, both directions in the order they came.
  std::string captured();

 private:
  void Run(int targetPort);

  int listener_ = -1;
  int stop_ = -1;  // an eventfd that ends the relay
  int port_ = 0;
  std::mutex mutex_;
  std::string captured_;
  std::thread thread_;
};

}  // namespace testing_support
