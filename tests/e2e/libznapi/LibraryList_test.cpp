// Lists against a real znsim: one read for all items, each with its own outcome. The list
// window's end-to-end test reads a missing tag among good ones and reads back what it wrote.
#include <gtest/gtest.h>

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

  EXPECT_NE(znListFree(list), 0);
  EXPECT_FALSE(ListData(first).has_value());
  EXPECT_EQ(znListRead(list, 0), 0);
  EXPECT_EQ(znListFree(list), 0);
}

}  // namespace
}  // namespace znapi::testing
