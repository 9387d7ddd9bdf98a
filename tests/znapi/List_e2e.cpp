// Lists against a real znsim: one read for all items, each with its own outcome.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using testing_support::ZnsimProcess;

class Lists : public ::testing::Test {
 protected:
  void SetUp() override {
    h_ = OpenTo(server_);
    ASSERT_GT(h_, 0);
  }
  void TearDown() override { znClose(h_); }

  std::optional<std::string> Data(int32_t item) {
    char value[256] = {};
    if (znListData(item, value, sizeof value, 0) == 0) return std::nullopt;
    return std::string(value);
  }

  ZnsimProcess server_;
  int32_t h_ = 0;
};

TEST_F(Lists, EachItemReportsItsOwnOutcome) {
  ASSERT_NE(znTagWrite(h_, "PLANT_Message", "listed"), 0);
  const int32_t list = znListNew(h_, 0);
  ASSERT_GT(list, 0);
  const std::vector<std::string> tags{"PLANT_Message", "NO_SUCH_TAG", "SHIFT_Operator",
                                      "ALSO_MISSING", "PLANT_Message"};
  std::vector<int32_t> items;
  for (const auto& tag : tags) {
    items.push_back(znListAdd(list, tag.c_str()));
    ASSERT_GT(items.back(), 0) << tag;
  }
  EXPECT_FALSE(Data(items[0]).has_value()) << "not read yet";
  EXPECT_NE(znListRead(list, 0), 0);
  EXPECT_EQ(Data(items[0]), "listed");
  EXPECT_FALSE(Data(items[1]).has_value());
  EXPECT_EQ(Data(items[2]), "J. Okafor");
  EXPECT_FALSE(Data(items[3]).has_value());
  EXPECT_EQ(Data(items[4]), "listed");

  // Values are those of the last read.
  ASSERT_NE(znTagWrite(h_, "PLANT_Message", "changed"), 0);
  EXPECT_EQ(Data(items[0]), "listed");
  EXPECT_NE(znListRead(list, 0), 0);
  EXPECT_EQ(Data(items[0]), "changed");

  // An item added after the read has no value until the next read.
  const int32_t late = znListAdd(list, "SHIFT_Supervisor");
  EXPECT_FALSE(Data(late).has_value());
  EXPECT_NE(znListRead(list, 0), 0);
  EXPECT_EQ(Data(late), "R. Lindqvist");

  EXPECT_NE(znListFree(list), 0);
  for (const int32_t item : items) EXPECT_FALSE(Data(item).has_value());
  EXPECT_EQ(znListRead(list, 0), 0);
  EXPECT_EQ(znListFree(list), 0);
}

TEST_F(Lists, EmptyNamesAreNotAdded) {
  const int32_t list = znListNew(h_, 0);
  ASSERT_GT(list, 0);
  EXPECT_EQ(znListAdd(list, ""), 0);
  EXPECT_EQ(znListAdd(list, nullptr), 0);
  EXPECT_NE(znListRead(list, 0), 0) << "an empty list reads as nothing to read";
  znListFree(list);
}

TEST_F(Lists, ValueIsCutToTheBuffer) {
  ASSERT_NE(znTagWrite(h_, "PLANT_Message", "abcdefgh"), 0);
  const int32_t list = znListNew(h_, 0);
  const int32_t item = znListAdd(list, "PLANT_Message");
  ASSERT_NE(znListRead(list, 0), 0);
  for (int length = 1; length <= 11; ++length) {
    std::string buffer(static_cast<std::size_t>(length) + 4, '#');
    ASSERT_NE(znListData(item, buffer.data(), length, 0), 0);
    EXPECT_EQ(std::string(buffer.c_str()), std::string("abcdefgh").substr(0, length - 1));
    EXPECT_EQ(buffer.substr(static_cast<std::size_t>(length)), "####");
  }
  char buffer[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(znListData(item, buffer, 0, 0), 0);
  EXPECT_EQ(znListData(item, nullptr, 10, 0), 0);
  EXPECT_EQ(std::string(buffer, 4), "####");
  znListFree(list);
}

TEST_F(Lists, ClosingTheConnectionFreesItsLists) {
  const int32_t h = OpenTo(server_);
  const int32_t list = znListNew(h, 0);
  const int32_t item = znListAdd(list, "LIT101");
  ASSERT_NE(znListRead(list, 0), 0);
  ASSERT_TRUE(Data(item).has_value());
  znClose(h);
  EXPECT_FALSE(Data(item).has_value());
  EXPECT_EQ(znListAdd(list, "LIT101"), 0);
  EXPECT_EQ(znListRead(list, 0), 0);
  EXPECT_EQ(znListFree(list), 0);
}

TEST_F(Lists, FailedReadForgetsTheValues) {
  const EnvOverride request("ZNAPI_TIMEOUT_MS", "2000");
  const int32_t h = OpenTo(server_);
  const int32_t list = znListNew(h, 0);
  const int32_t item = znListAdd(list, "LIT101");
  ASSERT_NE(znListRead(list, 0), 0);
  server_.pause();
  EXPECT_EQ(znListRead(list, 0), 0);
  server_.resume();
  EXPECT_FALSE(Data(item).has_value()) << "a value from before the failure is not current";
  znClose(h);
}

}  // namespace
}  // namespace znapi::testing
