#pragma once
/// A loopback server that answers every request frame at once, on the thread that reads it,
/// with "ok" and a fixed tag value: the library's own cost per call, free of any real
/// server's work and thread hand-offs.
#include <string>
#include <thread>

class MinimalServer {
 public:
  explicit MinimalServer(std::string value);
  ~MinimalServer();
  MinimalServer(const MinimalServer&) = delete;
  MinimalServer& operator=(const MinimalServer&) = delete;
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  void Serve();
  std::string value_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};
