#include "FrameReader.h"

#include <cstring>
#include <optional>
#include <utility>

namespace znwire {
namespace {

// A read asks for up to this much beyond the frame it completes.
constexpr std::size_t kReadRoom = 64 * 1024;

std::optional<std::uint32_t> AnnouncedLength(const char* at) {
  FrameHeader header;
  std::memcpy(header.data(), at, header.size());
  return BodyLength(header);
}

}  // namespace

char* FrameReader::Space(std::size_t want) {
  if (buffer_.size() - end_ < want) {
    // Move the unread bytes to the front before growing, so the buffer never exceeds one
    // frame plus one read.
    if (begin_ > 0) {
      std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
      end_ -= begin_;
      begin_ = 0;
    }
    if (buffer_.size() - end_ < want) {
      // The frame at the front gets its whole room once its length is known, and room for a
      // read beyond it: a large frame is then never copied again while the rest arrives. The
      // room is only reserved; memory grows with the bytes that really come.
      if (buffered() >= kHeaderBytes) {
        const auto length = AnnouncedLength(buffer_.data());
        if (length && *length <= limit_) buffer_.reserve(kHeaderBytes + *length + kReadRoom);
      }
      buffer_.resize(end_ + want);
    }
  }
  return buffer_.data() + end_;
}

void FrameReader::Commit(std::size_t n) {
  end_ += n;
}

FrameReader::State FrameReader::Poll() const {
  if (buffered() < kHeaderBytes) return State::NeedMore;
  const auto length = AnnouncedLength(buffer_.data() + begin_);
  if (!length || *length > limit_) return State::Oversized;
  return buffered() - kHeaderBytes >= *length ? State::Ready : State::NeedMore;
}

std::string_view FrameReader::Body() const {
  const auto length = AnnouncedLength(buffer_.data() + begin_);
  return {buffer_.data() + begin_ + kHeaderBytes, *length};
}

std::vector<char> FrameReader::Pop() {
  begin_ += kHeaderBytes + *AnnouncedLength(buffer_.data() + begin_);
  if (begin_ != end_) return {};
  begin_ = end_ = 0;
  if (buffer_.capacity() <= keep_) return {};
  return std::exchange(buffer_, {});
}

std::size_t FrameReader::Missing() const {
  if (buffered() < kHeaderBytes) return kHeaderBytes - buffered();
  const auto length = AnnouncedLength(buffer_.data() + begin_);
  const std::size_t whole = kHeaderBytes + (length ? *length : 0);
  return whole > buffered() ? whole - buffered() : 1;
}

}  // namespace znwire
