// Reassembly of length-prefixed frames from a stream that cuts them anywhere.
#include "FrameReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framing.h"

namespace znapi::detail {
namespace {

std::string Frame(const std::string& body) {
  const auto n = static_cast<std::uint32_t>(body.size());
  std::string out{static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                  static_cast<char>(n)};
  return out + body;
}

void Feed(FrameReader& reader, const std::string& bytes) {
  std::memcpy(reader.Space(bytes.size()), bytes.data(), bytes.size());
  reader.Commit(bytes.size());
}

std::vector<std::string> Drain(FrameReader& reader) {
  std::vector<std::string> bodies;
  while (reader.Poll() == FrameReader::State::Ready) {
    bodies.emplace_back(reader.Body());
    reader.Pop();
  }
  return bodies;
}

TEST(FrameReader, ReassemblesFramesDeliveredInPiecesOfEverySize) {
  const std::vector<std::string> bodies{"first", "", std::string(300, 'x'), "last"};
  std::string stream;
  for (const auto& b : bodies) stream += Frame(b);

  for (std::size_t piece = 1; piece <= stream.size(); ++piece) {
    FrameReader reader;
    std::vector<std::string> got;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
      Feed(reader, stream.substr(at, piece));
      for (auto& b : Drain(reader)) got.push_back(std::move(b));
    }
    EXPECT_EQ(got, bodies) << "piece size " << piece;
    EXPECT_EQ(reader.buffered(), 0u);
  }
}

TEST(FrameReader, AnnouncedBodyBeyondTheLimitIsRefusedBeforeItArrives) {
  FrameReader reader;
  const std::uint32_t n = znwire::kMaxFrameBytes + 1;
  Feed(reader, std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                           static_cast<char>(n >> 8), static_cast<char>(n)});
  EXPECT_EQ(reader.Poll(), FrameReader::State::Oversized);
}

TEST(FrameReader, BufferStaysNearOneFrameWhenFramesKeepComing) {
  FrameReader reader;
  const std::string frame = Frame(std::string(1000, 'y'));
  // Each round leaves half a frame behind, so the reader must compact rather than grow.
  Feed(reader, frame.substr(0, 500));
  for (int round = 0; round < 1000; ++round) {
    Feed(reader, frame.substr(500) + frame.substr(0, 500));
    ASSERT_EQ(Drain(reader).size(), 1u);
  }
  EXPECT_LE(reader.capacity(), 2 * frame.size());
}

}  // namespace
}  // namespace znapi::detail
