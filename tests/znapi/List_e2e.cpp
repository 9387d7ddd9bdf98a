// Lists against a real znsim: one read for all items, each with its own outcome.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using Lists = Connected;

TEST_F(Lists, EachItemReportsItsOwnOutcomeUntilTheListIsFreed) {
  ASSERT_NE(znTagWrite(h_, "PLANT_Message", "listed"), 0);
  const int32_t list = znListNew(h_, 0);
  ASSERT_GT(list, 0);
  EXPECT_EQ(znListAdd(list, ""), 0);
  EXPECT_EQ(znListAdd(list, nullptr), 0);
  EXPECT_NE(znListRead(list, 0), 0) << "an empty list reads as nothing to read";
  std::vector<int32_t> items;
  for (const char* tag : {"PLANT_Message", "NO_SUCH_TAG", "SHIFT_Operator", "PLANT_Message"}) {
    items.push_back(znListAdd(list, tag));
    ASSERT_GT(items.back(), 0) << tag;
  }
  EXPECT_FALSE(ListData(items[0]).has_value()) << "not read yet";
  EXPECT_NE(znListRead(list, 0), 0);
  EXPECT_EQ(ListData(items[0]), "listed");
  EXPECT_FALSE(ListData(items[1]).has_value());
  EXPECT_EQ(ListData(items[2]), "J. Okafor");
  EXPECT_EQ(ListData(items[3]), "listed");

  // Values are those of the last read.
  ASSERT_NE(znTagWrite(h_, "PLANT_Message", "changed"), 0);
  EXPECT_EQ(ListData(items[0]), "listed");
  EXPECT_NE(znListRead(list, 0), 0);
  EXPECT_EQ(ListData(items[3]), "changed");

  EXPECT_NE(znListFree(list), 0);
  for (const int32_t item : items) EXPECT_FALSE(ListData(item).has_value());
  EXPECT_EQ(znListRead(list, 0), 0);
  EXPECT_EQ(znListFree(list), 0);
}

}  // namespace
}  // namespace znapi::testing
