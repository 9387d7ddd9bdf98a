#pragma once
/// The client side of the raw reference: blocking writes and reads of fixed-size frames, one
/// write and usually one read per round trip, as lean as a client can be.
#include <cstddef>
#include <string>
#include <utility>

/// The sizes of a tag read's request and reply frames for `tag` and its `value`, so that the
/// raw ping-pong moves the same bytes as the library.
std::pair<std::size_t, std::size_t> TagReadFrameSizes(const std::string& tag,
                                                      const std::string& value);

class PingPongClient {
 public:
  /// Connects to 127.0.0.1:`port`, whose server answers each frame with `replyBytes`.
  PingPongClient(int port, std::size_t requestBytes, std::size_t replyBytes);
  ~PingPongClient();
  PingPongClient(const PingPongClient&) = delete;
  PingPongClient& operator=(const PingPongClient&) = delete;
  /// Sends one request frame and reads the whole reply; false when the stream ends.
  bool RoundTrip();

 private:
  int fd_ = -1;
  std::string request_;
  std::string reply_;
};
