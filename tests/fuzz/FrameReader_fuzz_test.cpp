// The frame reader fed arbitrary bytes in arbitrary pieces must find exactly the frames a
// plain reading of the stream finds, and stop at the first length over its limit.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "FrameReader.h"
#include "Require.h"

namespace {

// Input: one byte choosing the limit, then pieces of one length byte and that many bytes.
struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
  bool Byte(std::uint8_t& out) {
    if (at >= size) return false;
    out = data[at++];
    return true;
  }
};

std::uint32_t Length(std::string_view stream, std::size_t at) {
  std::uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n = (n << 8) | static_cast<std::uint8_t>(stream[at + i]);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input{data, size};
  std::uint8_t choice = 0;
  if (!input.Byte(choice)) return 0;
  // Limits up to 16 KiB: a frame the limit allows has its room reserved at once, and the
  // reassembly is the same for any size.
  const std::uint32_t limit = choice * 64u;
  znwire::FrameReader reader(limit);
  std::string stream;     // every byte fed
  std::size_t taken = 0;  // bytes of whole frames taken out
  std::uint8_t piece = 0;
  while (input.Byte(piece)) {
    const std::size_t n = std::min<std::size_t>(piece, input.size - input.at);
    if (n > 0) std::memcpy(reader.Space(n), input.data + input.at, n);
    reader.Commit(n);
    stream.append(reinterpret_cast<const char*>(input.data + input.at), n);
    input.at += n;
    while (true) {
      const auto state = reader.Poll();
      Require(reader.buffered() == stream.size() - taken);
      if (stream.size() - taken < znwire::kHeaderBytes) {
        Require(state == znwire::FrameReader::State::NeedMore);
        Require(reader.Missing() == znwire::kHeaderBytes - (stream.size() - taken));
        break;
      }
      const std::uint32_t length = Length(stream, taken);
      if (length > limit) {
        Require(state == znwire::FrameReader::State::Oversized);
        return 0;
      }
      const std::size_t whole = znwire::kHeaderBytes + length;
      if (stream.size() - taken < whole) {
        Require(state == znwire::FrameReader::State::NeedMore);
        Require(reader.Missing() == whole - (stream.size() - taken));
        break;
      }
      Require(state == znwire::FrameReader::State::Ready);
      Require(reader.Body() ==
              std::string_view(stream).substr(taken + znwire::kHeaderBytes, length));
      reader.Pop();
      taken += whole;
    }
  }
  return 0;
}
