// The UTF-8 check of texts read in place: it must accept exactly what protobuf accepts in a
// `string` field, wherever the sequence falls among ASCII bytes read eight at a time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Utf8.h"
#include "WireFormat.h"
#include "znwire.pb.h"

namespace codepage {
namespace {

// Whether protobuf takes `text` as the value of a string field.
bool ProtobufTakes(const std::string& text) {
  std::string bytes(1, static_cast<char>(znwire::FieldKey(znwire::TagValue::kValueFieldNumber,
                                                          znwire::WireType::Delimited)));
  znwire::AppendVarint(bytes, text.size());
  znwire::TagValue message;
  return message.ParseFromString(bytes + text);
}

TEST(IsUtf8, AcceptsWhatProtobufAcceptsWhereverTheSequenceFalls) {
  // Every byte that cannot stand alone, alone and with each second byte that decides; then
  // every lead of three and four bytes with good and bad continuations.
  std::vector<std::string> sequences;
  for (int a = 0x80; a < 0x100; ++a) {
    sequences.push_back(std::string(1, static_cast<char>(a)));
    for (int b : {0x00, 0x41, 0x7F, 0x80, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF})
      sequences.push_back({static_cast<char>(a), static_cast<char>(b)});
  }
  for (int a = 0xE0; a < 0xF8; ++a) {
    for (int b : {0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0}) {
      for (int c : {0x41, 0x80, 0xBF, 0xC0}) {
        const std::string three{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)};
        sequences.push_back(three);
        for (int d : {0x41, 0x80, 0xBF}) sequences.push_back(three + static_cast<char>(d));
      }
    }
  }
  sequences.push_back("\u20AC\u00E9\U0001F600");
  for (const std::string& sequence : sequences) {
    for (const std::size_t before : {0, 1, 7, 8, 9, 16}) {
      const std::string text = std::string(before, 'a') + sequence + std::string(11, 'z');
      ASSERT_EQ(IsUtf8(text), ProtobufTakes(text)) << testing::PrintToString(text);
    }
  }
  EXPECT_TRUE(IsUtf8(""));
  EXPECT_TRUE(IsUtf8(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace codepage
