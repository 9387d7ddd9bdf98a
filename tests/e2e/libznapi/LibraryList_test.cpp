// Lists against a real znsim: one read for all items, each with its own outcome. The list
// window's end-to-end test reads a missing tag among good ones and reads back what it wrote.
#include <gtest/gtest.h>

#include <vector>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using Lists = Connected;

TEST_F(Lists, ItemsHoldTheLastReadUntilTheListIsFreed) {
  ASSERT_NE(znTagWrite(h_, "PLANT_Message", "listed"), 0);
  const int32_t list = znListNew(h_, 0);
  ASSERT_GT(list, 0);
  EXPECT_EQ(znListAdd(list, ""), 0);
  EXPECT_EQ(znListAdd(list, nullptr), 0);
  EXPECT_NE(znListRead(list, 0), 0) << "an empty list reads as nothing to read";
  const int32_t first = znListAdd(list, "PLANT_Message");
  const int32_t again = znListAdd(list, "PLANT_Message");
  ASSERT_GT(again, first);
  EXPECT_FALSE(ListData(first).has_value()) << "not read yet";
  EXPECT_NE(znListRead(list, 0), 0);
  EXPECT_EQ(ListData(again), "listed");

  ASSERT_NE(znTagWrite(h_, "PLANT_Message", "changed"), 0);
  EXPECT_EQ(ListData(first), "listed") << "values are those of the last read";
  EXPECT_NE(znListRead(list, 0), 0);
  EXPECT_EQ(ListData(first), "changed");

  // Items of two lists added in turn, with other handles taken between them, each read
  // their own tag.
  const int32_t other = znListNew(h_, 0);
  std::vector<int32_t> items;  // of list and other in turn
  for (const char* tag : {"LIT101", "PLANT_Message", "NO_SUCH_TAG", "LIT101"}) {
    items.push_back(znListAdd(list, tag));
    items.push_back(znListAdd(other, tag));
    EXPECT_TRUE(Zncode(h_, "Time(1)").has_value());
  }
  EXPECT_NE(znListRead(list, 0), 0);
  EXPECT_NE(znListRead(other, 0), 0);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto value = ListData(items[i]);
    EXPECT_EQ(value.has_value(), i / 2 != 2) << i;
    if (i / 2 == 1) {
      EXPECT_EQ(value, "changed") << i;
    }
  }
  EXPECT_NE(znListFree(other), 0);
  EXPECT_FALSE(ListData(items[1]).has_value());
  EXPECT_TRUE(ListData(items[0]).has_value()) << "the first list's items stay";

  EXPECT_NE(znListFree(list), 0);
  EXPECT_FALSE(ListData(first).has_value());
  EXPECT_EQ(znListRead(list, 0), 0);
  EXPECT_EQ(znListFree(list), 0);
}

}  // namespace
}  // namespace znapi::testing
