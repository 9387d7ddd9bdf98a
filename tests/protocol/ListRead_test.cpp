// List reads handled in their wire form: the reply's items come out byte for byte as protobuf
// writes them and are read in place as protobuf reads them, and a request is taken in place
// only when it reads exactly as protobuf reads it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ListReadReply.h"
#include "ListReadRequest.h"
#include "znwire.pb.h"

namespace znwire {
namespace {

using namespace std::string_literals;

TEST(ListReplyWriter, WritesTheItemsAsProtobufDoes) {
  const std::vector<std::optional<std::string>> values = {
      "12.50", std::nullopt, "", std::string(200, 'v'), "Überlauf", std::nullopt, "1"};
  ListReplyWriter writer(values.size(), 1 << 20);
  ListReadReply expected;
  for (const auto& value : values) {
    ASSERT_TRUE(writer.Add(value));
    auto* item = expected.add_items();
    item->set_ok(value.has_value());
    if (value) item->set_value(*value);
  }
  const std::string bytes = writer.Take();
  EXPECT_EQ(bytes, expected.SerializeAsString());
  ListReadReply parsed;
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
  ListReadReply parsed;
  ASSERT_TRUE(parsed.ParseFromString(writer.Take()));
  EXPECT_EQ(parsed.items_size(), 3);
}

// The items are read in place by hand: whatever the encoding, they must read as protobuf
// reads them, and fail where it fails.
TEST(ReadListItems, ReadsTheItemsAsProtobufReadsThem) {
  ListReadReply canonical;
  for (const char* value : {"12.5", "", "Überlauf"}) {
    auto* item = canonical.add_items();
    item->set_ok(true);
    item->set_value(value);
  }
  canonical.add_items();  // a tag the server could not read
  canonical.add_items()->set_value(std::string(300, 'v'));
  const std::string encodings[] = {
      canonical.SerializeAsString(),
      "\x0A\x05\x12\x01x\x08\x01"s,                 // value before ok
      "\x0A\x08\x12\x01x\x12\x01y\x08\x01"s,        // the last value counts
      "\x0A\x08\x18\x05\x08\x02\x12\x00\x10\x01"s,  // unknown fields, ok as 2
      "\x0A\x06\x1B\x08\x01\x1C\x08\x01"s,          // an unknown group
      "\x0A\x04\x1B\x08\x01\x24"s,                  // a group ended by another number
      "\x0A\x02\x08\x01\x0A\x02\x08\x00"s,          // ok written as false
      "\x0A\x03\x12\x01\xFF"s,                      // a value that is not UTF-8
      "\x0A\x05\x08\x01"s,                          // an item cut short
      "\x0A\x04\x12\x05xx\x08"s,                    // a value past its item
      "\x0A\x02\x08"s,                              // a varint cut short
  };
  for (const auto& bytes : encodings) {
    ListReadReply expected;
    const bool parses = expected.ParseFromString(bytes);
    const auto items = ReadListItems(bytes);
    ASSERT_EQ(items.has_value(), parses) << testing::PrintToString(bytes);
    if (!parses) continue;
    ASSERT_EQ(items->size(), static_cast<std::size_t>(expected.items_size()));
    for (int i = 0; i < expected.items_size(); ++i) {
      const auto& item = (*items)[static_cast<std::size_t>(i)];
      EXPECT_EQ(item.ok, expected.items(i).ok()) << i;
      EXPECT_EQ(bytes.substr(item.offset, item.length), expected.items(i).value()) << i;
    }
  }
}

Request ListReadOf(std::uint32_t id, const std::vector<std::string>& tags) {
  Request request;
  request.set_id(id);
  auto* list = request.mutable_list_read();
  for (const auto& tag : tags) list->add_tags(tag);
  return request;
}

TEST(ListReadRequest, ReadsTheTagsInPlaceAsProtobufReadsThem) {
  const std::vector<std::vector<std::string>> lists = {
      {}, {"LIT101"}, {"", "Überlauf", std::string(300, 'n'), "LIT101"}};
  for (const auto& tags : lists) {
    const std::string body = ListReadOf(4000000000u, tags).SerializeAsString();
    const auto request = ListReadRequest::Parse(body);
    ASSERT_TRUE(request) << tags.size() << " tags";
    EXPECT_EQ(request->id(), 4000000000u);
    EXPECT_EQ(request->size(), tags.size());
    EXPECT_EQ(std::vector<std::string>(request->begin(), request->end()), tags);
  }
}

// Whatever is not the plain form goes to protobuf's own parser instead, which then decides.
TEST(ListReadRequest, LeavesEveryOtherFrameToTheFullParser) {
  const std::string plain = ListReadOf(7, {"A", "B"}).SerializeAsString();
  Request tagRead;
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
      {"a tag that is not UTF-8", ListReadOf(7, {"A", "\xFF"}).SerializeAsString()},
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
}  // namespace znwire
