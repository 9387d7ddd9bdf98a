#pragma once
/// Reassembles length-prefixed frames from the bytes a stream delivers in arbitrary pieces.
/// The library reads its responses with it and znsim its requests.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "framing.h"

namespace znwire {

class FrameReader {
 public:
  enum class State { NeedMore, Ready, Oversized };

  /// A buffer that grew for one large frame is given back once that frame is gone, so an idle
  /// stream holds no more than a usual read needs.
  static constexpr std::size_t kKeepBytes = 128 * 1024;

  /// `limit` is the largest body accepted, at most kMaxFrameBytes; storage up to `keep` bytes
  /// is kept between frames.
  explicit FrameReader(std::uint32_t limit = kMaxFrameBytes, std::size_t keep = kKeepBytes)
      : limit_(limit), keep_(keep) {}

  /// Room for at least `want` more bytes; the buffer grows only as far as one frame needs.
  char* Space(std::size_t want);
  /// Declares that `n` bytes were written at Space().
  void Commit(std::size_t n);
  /// Whether a whole frame sits at the front. Oversized means the peer announced a body
  /// beyond the limit: the stream cannot be trusted any further.
  State Poll() const;
  /// The body of the frame at the front; only after Poll() returned Ready.
  std::string_view Body() const;
  /// Drops the frame at the front; only after Poll() returned Ready. Storage that grew for a
  /// large frame is let go of once nothing is left in it, and returned, so that the caller
  /// decides which thread pays for freeing it; otherwise the result is empty.
  std::vector<char> Pop();
  /// Bytes still needed to complete the frame at the front, at least 1 when not Ready.
  std::size_t Missing() const;
  std::size_t buffered() const { return end_ - begin_; }
  void set_limit(std::uint32_t limit) { limit_ = limit; }

 private:
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::uint32_t limit_;
  std::size_t keep_;
};

}  // namespace znwire
