// The frame reader's limits. Reassembly from pieces is exercised by every Connection test:
// the scripted server writes its replies a byte at a time.
#include "FrameReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framing.h"

namespace znapi::detail {
namespace {

std::string Header(std::uint32_t n) {
  return {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
          static_cast<char>(n)};
}

// Feeds `bytes` and returns the bodies of the frames now complete.
std::vector<std::string> Feed(FrameReader& reader, const std::string& bytes) {
  std::memcpy(reader.Space(bytes.size()), bytes.data(), bytes.size());
  reader.Commit(bytes.size());
  std::vector<std::string> bodies;
  while (reader.Poll() == FrameReader::State::Ready) {
    bodies.emplace_back(reader.Body());
    reader.Pop();
  }
  return bodies;
}

TEST(FrameReader, AnnouncedBodyBeyondTheLimitIsRefusedBeforeItArrives) {
  FrameReader reader;
  Feed(reader, Header(znwire::kMaxFrameBytes + 1));
  EXPECT_EQ(reader.Poll(), FrameReader::State::Oversized);
}

TEST(FrameReader, BufferStaysNearOneFrameWhenFramesKeepComing) {
  FrameReader reader;
  const std::string frame = Header(1000) + std::string(1000, 'y');
  // Each round leaves half a frame behind, so the reader must compact rather than grow.
  Feed(reader, frame.substr(0, 500));
  for (int round = 0; round < 1000; ++round) {
    ASSERT_EQ(Feed(reader, frame.substr(500) + frame.substr(0, 500)).size(), 1u);
  }
  EXPECT_LE(reader.capacity(), 2 * frame.size());
}

}  // namespace
}  // namespace znapi::detail
