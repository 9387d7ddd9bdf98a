#pragma once
/// Reassembles length-prefixed frames from the bytes a stream delivers in arbitrary pieces.
#include <cstddef>
#include <string_view>
#include <vector>

namespace znapi::detail {

class FrameReader {
 public:
  enum class State { NeedMore, Ready, Oversized };

  /// Room for at least `want` more bytes; the buffer grows only as far as one frame needs.
  char* Space(std::size_t want);
  /// Declares that `n` bytes were written at Space().
  void Commit(std::size_t n);
  /// Whether a whole frame sits at the front. Oversized means the peer announced a body
  /// beyond the frame limit: the stream cannot be trusted any further.
  State Poll() const;
  /// The body of the frame at the front; only after Poll() returned Ready.
  std::string_view Body() const;
  /// Drops the frame at the front; only after Poll() returned Ready.
  void Pop();
  /// Bytes still needed to complete the frame at the front, at least 1 when not Ready.
  std::size_t Missing() const;
  std::size_t buffered() const { return end_ - begin_; }
  std::size_t capacity() const { return buffer_.size(); }

 private:
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace znapi::detail
