// The entry points linked in with the registry they share, against a real znsim: a walk
// through thousands of records, alone or beside another, and a list of thousands of items,
// cost the registry no entry per record or item.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HandleRegistry.h"
#include "ZnsimProcess.h"
#include "znapi.h"

namespace znapi::detail {
namespace {

TEST(RecordHandles, ThousandsOfMovesAndItemsLeaveTheRegistrySize) {
  testing_support::ZnsimProcess server({"--generate-tags", "5000"});
  const int32_t h = znOpen(server.address().c_str(), "Engineer", "Marlow", 0);
  ASSERT_GT(h, 0);
  int32_t record = 0, besideRecord = 0;
  const int32_t search = znFindFirst(h, "Tag", "*", &record, 0);
  const int32_t beside = znFindFirst(h, "Tag", "*", &besideRecord, 0);
  ASSERT_GT(search, 0);
  ASSERT_GT(beside, 0);
  const std::size_t before = Handles().size();
  char name[32];
  int moves = 0;
  while (znFindNext(search, &record) != 0) {
    ASSERT_NE(znGetProperty(record, "Tag", name, sizeof name, nullptr, ZNAPI_TYPE_TEXT), 0);
    // Now and then the other search moves too, which starts a new run for both.
    if (moves % 500 == 0) {
      ASSERT_NE(znFindNext(beside, &besideRecord), 0);
    }
    ASSERT_EQ(Handles().size(), before) << "after move " << moves;
    ++moves;
  }
  EXPECT_GE(moves, 5000);

  const int32_t list = znListNew(h, 0);
  std::vector<int32_t> items;
  for (int i = 1; i <= 5000; ++i) {
    char tag[16];
    std::snprintf(tag, sizeof tag, "GEN%06d", i);
    items.push_back(znListAdd(list, tag));
  }
  EXPECT_EQ(Handles().size(), before + 2) << "the list and one run of its items";
  ASSERT_NE(znListRead(list, 0), 0);
  char value[256];
  for (const int32_t item : items) ASSERT_NE(znListData(item, value, sizeof value, 0), 0);
  znListFree(list);
  znFindClose(search);
  znFindClose(beside);
  znClose(h);
  EXPECT_EQ(Handles().size(), 0u);
}

}  // namespace
}  // namespace znapi::detail
