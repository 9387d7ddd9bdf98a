// How much storage a frame reader holds on to between frames: a server's idle connection
// gives back what a large frame took, a client's keeps it for the next large reply.
#include <gtest/gtest.h>

#include <cstring>

#include "FrameReader.h"
#include "framing.h"
#include "znwire.pb.h"

namespace {

// Feeds one whole frame of about `bytes` to `reader`, as reads of 64 KiB would.
void Feed(znwire::FrameReader& reader, std::size_t bytes) {
  znwire::Response response;
  response.set_error(std::string(bytes, 'x'));
  const std::string frame = *znwire::EncodeFrame(response);
  for (std::size_t at = 0; at < frame.size();) {
    const std::size_t n = std::min<std::size_t>(64 * 1024, frame.size() - at);
    std::memcpy(reader.Space(n), frame.data() + at, n);
    reader.Commit(n);
    at += n;
  }
  ASSERT_EQ(reader.Poll(), znwire::FrameReader::State::Ready);
}

TEST(FrameStorage, LargeFramesGiveBackTheirStorageUnlessKept) {
  const struct {
    std::size_t keep, frame;
    bool givenBack;
  } cases[] = {
      {znwire::FrameReader::kKeepBytes, 1000, false},
      {znwire::FrameReader::kKeepBytes, 1 << 20, true},
      {4 << 20, 1 << 20, false},
      {4 << 20, 6 << 20, true},
  };
  for (const auto& c : cases) {
    znwire::FrameReader reader(znwire::kMaxFrameBytes, c.keep);
    Feed(reader, c.frame);
    const auto storage = reader.Pop();
    EXPECT_EQ(!storage.empty(), c.givenBack) << "keep " << c.keep << ", frame " << c.frame;
    // The reader works on either way.
    Feed(reader, c.frame);
    EXPECT_GT(reader.Body().size(), c.frame);
  }
}

}  // namespace
