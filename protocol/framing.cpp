#include "framing.h"

#include <google/protobuf/message_lite.h>

namespace znwire {

std::optional<std::string> EncodeFrame(const google::protobuf::MessageLite& message) {
  const std::size_t size = message.ByteSizeLong();
  if (size > kMaxFrameBytes) return std::nullopt;
  std::string frame(kHeaderBytes + size, '\0');
  const auto n = static_cast<std::uint32_t>(size);
  frame[0] = static_cast<char>((n >> 24) & 0xFF);
  frame[1] = static_cast<char>((n >> 16) & 0xFF);
  frame[2] = static_cast<char>((n >> 8) & 0xFF);
  frame[3] = static_cast<char>(n & 0xFF);
  if (!message.SerializeToArray(frame.data() + kHeaderBytes, static_cast<int>(size))) {
    return std::nullopt;
  }
  return frame;
}

std::optional<std::uint32_t> BodyLength(const FrameHeader& header) {
  const std::uint32_t n = (std::uint32_t{header[0]} << 24) | (std::uint32_t{header[1]} << 16) |
                          (std::uint32_t{header[2]} << 8) | std::uint32_t{header[3]};
  if (n > kMaxFrameBytes) return std::nullopt;
  return n;
}

}  // namespace znwire
