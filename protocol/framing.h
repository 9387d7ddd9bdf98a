#pragma once
/// Length-prefixed framing shared by libznapi and znsim: a frame is a 4-byte big-endian
/// length followed by that many bytes of one protobuf message.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace google::protobuf {
class MessageLite;
}

namespace znwire {

/// Largest message either side accepts. Checked before any allocation for the body.
inline constexpr std::uint32_t kMaxFrameBytes = 16u * 1024u * 1024u;
inline constexpr std::size_t kHeaderBytes = 4;

using FrameHeader = std::array<unsigned char, kHeaderBytes>;

/// Serialises a message with its length prefix; nullopt when it would exceed kMaxFrameBytes.
std::optional<std::string> EncodeFrame(const google::protobuf::MessageLite& message);
/// The same into `frame`, whose storage is reused; false (frame unspecified) when too large.
bool EncodeFrameInto(const google::protobuf::MessageLite& message, std::string& frame);

/// Writes the header announcing a body of `length` bytes at `at`.
void WriteHeader(std::uint32_t length, char* at);

/// The body length announced by a header; nullopt when it exceeds kMaxFrameBytes.
std::optional<std::uint32_t> BodyLength(const FrameHeader& header);

}  // namespace znwire
