#include "FrameReader.h"

#include <cstring>

#include "framing.h"

namespace znapi::detail {
namespace {

std::optional<std::uint32_t> AnnouncedLength(const char* at) {
  znwire::FrameHeader header;
  std::memcpy(header.data(), at, header.size());
  return znwire::BodyLength(header);
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
    if (buffer_.size() - end_ < want) buffer_.resize(end_ + want);
  }
  return buffer_.data() + end_;
}

void FrameReader::Commit(std::size_t n) {
  end_ += n;
}

FrameReader::State FrameReader::Poll() const {
  if (buffered() < znwire::kHeaderBytes) return State::NeedMore;
  const auto length = AnnouncedLength(buffer_.data() + begin_);
  if (!length) return State::Oversized;
  return buffered() - znwire::kHeaderBytes >= *length ? State::Ready : State::NeedMore;
}

std::string_view FrameReader::Body() const {
  const auto length = AnnouncedLength(buffer_.data() + begin_);
  return {buffer_.data() + begin_ + znwire::kHeaderBytes, *length};
}

void FrameReader::Pop() {
  begin_ += znwire::kHeaderBytes + *AnnouncedLength(buffer_.data() + begin_);
  if (begin_ == end_) begin_ = end_ = 0;
}

std::size_t FrameReader::Missing() const {
  if (buffered() < znwire::kHeaderBytes) return znwire::kHeaderBytes - buffered();
  const auto length = AnnouncedLength(buffer_.data() + begin_);
  const std::size_t whole = znwire::kHeaderBytes + (length ? *length : 0);
  return whole > buffered() ? whole - buffered() : 1;
}

}  // namespace znapi::detail
