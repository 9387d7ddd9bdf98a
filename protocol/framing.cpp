#include "framing.h"

#include <google/protobuf/message_lite.h>

namespace znwire {

bool EncodeFrameInto(const google::protobuf::MessageLite& message, std::string& frame) {
  const std::size_t size = message.ByteSizeLong();
  if (size > kMaxFrameBytes) return false;
  frame.resize(kHeaderBytes + size);
  WriteHeader(static_cast<std::uint32_t>(size), frame.data());
  // The size is known already: serialising without computing it again.
  message.SerializeWithCachedSizesToArray(reinterpret_cast<std::uint8_t*>(frame.data()) +
                                          kHeaderBytes);
  return true;
}

std::optional<std::string> EncodeFrame(const google::protobuf::MessageLite& message) {
  std::string frame;
  if (!EncodeFrameInto(message, frame)) return std::nullopt;
  return frame;
}

void WriteHeader(std::uint32_t length, char* at) {
  at[0] = static_cast<char>((length >> 24) & 0xFF);
  at[1] = static_cast<char>((length >> 16) & 0xFF);
  at[2] = static_cast<char>((length >> 8) & 0xFF);
  at[3] = static_cast<char>(length & 0xFF);
}

std::optional<std::uint32_t> BodyLength(const FrameHeader& header) {
  const std::uint32_t n = (std::uint32_t{header[0]} << 24) | (std::uint32_t{header[1]} << 16) |
                          (std::uint32_t{header[2]} << 8) | std::uint32_t{header[3]};
  if (n > kMaxFrameBytes) return std::nullopt;
  return n;
}

}  // namespace znwire
