// List reads handled in their wire form: the reply's items come out byte for byte as protobuf
// writes them, and a request is taken in place only when it reads exactly as protobuf reads it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ListReadRequest.h"
#include "ListReplyWriter.h"
#include "znwire.pb.h"

namespace znsim {
namespace {

using namespace std::string_literals;

TEST(ListReplyWriter, WritesTheItemsAsProtobufDoes) {
  const std::vector<std::optional<std::string>> values = {
      "12.50", std::nullopt, "", std::string(200, 'v'), "Überlauf", std::nullopt, "1"};
  ListReplyWriter writer(values.size(), 1 << 20);
  znwire::ListReadReply expected;
  for (const auto& value : values) {
    ASSERT_TRUE(writer.Add(value));
    auto* item = expected.add_items();
    item->set_ok(value.has_value());
    if (value) item->set_value(*value);
  }
  const std::string bytes = writer.Take();
  EXPECT_EQ(bytes, expected.SerializeAsString());
  znwire::ListReadReply parsed;
  ASSERT_TRUE(parsed.ParseFromString(bytes));
  ASSERT_EQ(parsed.items_size(), static_cast<int>(values.size()));
  EXPECT_FALSE(parsed.items(1).ok());
  EXPECT_TRUE(parsed.items(2).ok());
  EXPECT_EQ(parsed.items(3).value(), values[3]);
}

TEST(ListReplyWriter, RefusesAnItemThatWouldPassTheLimit) {
  ListReplyWriter writer(10, 25);
  EXPECT_TRUE(writer.Add("0123456789"));  // 16 bytes with its tags and lengths
  EXPECT_TRUE(writer.Add(std::nullopt));  // 2 more
  EXPECT_FALSE(writer.Add("abc"));        // 9 more would make 27
  EXPECT_TRUE(writer.Add("a"));           // 7 more make exactly 25
  znwire::ListReadReply parsed;
  ASSERT_TRUE(parsed.ParseFromString(writer.Take()));
  EXPECT_EQ(parsed.items_size(), 3);
}

znwire::Request ListRead(std::uint32_t id, const std::vector<std::string>& tags) {
  znwire::Request request;
  request.set_id(id);
  auto* list = request.mutable_list_read();
  for (const auto& tag : tags) list->add_tags(tag);
  return request;
}

TEST(ListReadRequest, ReadsTheTagsInPlaceAsProtobufReadsThem) {
  const std::vector<std::vector<std::string>> lists = {
      {}, {"LIT101"}, {"", "Überlauf", std::string(300, 'n'), "LIT101"}};
  for (const auto& tags : lists) {
    const std::string body = ListRead(4000000000u, tags).SerializeAsString();
    const auto request = ListReadRequest::Parse(body);
    ASSERT_TRUE(request) << tags.size() << " tags";
    EXPECT_EQ(request->id(), 4000000000u);
    EXPECT_EQ(request->size(), tags.size());
    EXPECT_EQ(std::vector<std::string>(request->begin(), request->end()), tags);
  }
}

// Whatever is not the plain form goes to protobuf's own parser instead, which then decides.
TEST(ListReadRequest, LeavesEveryOtherFrameToTheFullParser) {
  const std::string plain = ListRead(7, {"A", "B"}).SerializeAsString();
  znwire::Request tagRead;
  tagRead.set_id(7);
  tagRead.mutable_tag_read()->set_tag("A");
  const struct {
    const char* what;
    std::string body;
  } cases[] = {
      {"no list read", tagRead.SerializeAsString()},
      {"another body, then the list read", tagRead.SerializeAsString() + plain},
      {"an id only", "\x08\x07"s},
      {"a list read then another body", plain + tagRead.SerializeAsString()},
      {"two list reads", plain + plain.substr(2)},
      {"cut short", plain.substr(0, plain.size() - 1)},
      {"a tag that is not UTF-8", ListRead(7, {"A", "\xFF"}).SerializeAsString()},
      {"an unknown field in the list",
       "\x08\x07\x4A\x05\x0A\x01"
       "A\x10\x01"s},
      {"a tag of two bytes",
       "\x08\x07\x4A\x04\x8A\x00\x01"
       "A"s},
      {"a length past the end",
       "\x08\x07\x4A\x03\x0A\x05"
       "A"s},
  };
  for (const auto& c : cases) EXPECT_FALSE(ListReadRequest::Parse(c.body)) << c.what;
}

}  // namespace
}  // namespace znsim
