// Handle numbering, kinds and ownership: what keeps a stale or foreign handle harmless.
#include "HandleRegistry.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "HandleObjects.h"

namespace znapi::detail {
namespace {

std::shared_ptr<TagList> List() {
  return std::make_shared<TagList>(nullptr);
}

// Kinds, unknown handles and owners are seen through the entry points in the end-to-end
// tests; a registration racing with its owner's removal is not.
TEST(HandleRegistry, NothingIsAddedUnderAnOwnerThatIsGone) {
  HandleRegistry registry;
  const auto owner = registry.Add(List());
  ASSERT_NE(registry.Add(List(), owner), 0);
  EXPECT_TRUE(registry.Remove(owner));
  EXPECT_EQ(registry.Add(List(), owner), 0);
  EXPECT_EQ(registry.Add(List(), 12345), 0);
  EXPECT_EQ(registry.size(), 0u) << "the owned handle went with its owner";
}

TEST(HandleRegistry, ConcurrentAddsGiveDistinctPositiveHandlesNeverReused) {
  HandleRegistry registry;
  constexpr int kThreads = 4, kEach = 2000;
  std::vector<std::vector<std::int32_t>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        got[t].push_back(registry.Add(List()));
        if (i % 2 == 0) registry.Remove(got[t].back());
      }
    });
  }
  for (auto& th : threads) th.join();
  std::set<std::int32_t> all;
  for (const auto& v : got) all.insert(v.begin(), v.end());
  EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kEach));
  EXPECT_GT(*all.begin(), 0);
  EXPECT_EQ(registry.size(), static_cast<std::size_t>(kThreads * kEach / 2));
}

TEST(TagList, KeepsPerItemOutcomesAndRefusesMismatchedReplies) {
  TagList list(nullptr);
  list.Add("A");
  list.Add("B");
  list.Add("C");
  EXPECT_FALSE(list.Value(0).has_value()) << "never read";

  znwire::ListReadReply reply;
  auto* a = reply.add_items();
  a->set_ok(true);
  a->set_value("1.5");
  reply.add_items()->set_ok(false);
  reply.add_items()->set_ok(true);
  ASSERT_TRUE(list.Store(reply));
  EXPECT_EQ(list.Value(0), "1.5");
  EXPECT_FALSE(list.Value(1).has_value());
  EXPECT_EQ(list.Value(2), "");

  list.Add("D");
  EXPECT_FALSE(list.Value(3).has_value()) << "added after the read";
  EXPECT_EQ(list.ReadRequest().tags_size(), 4);

  reply.add_items()->set_ok(true);
  reply.add_items()->set_ok(true);
  EXPECT_FALSE(list.Store(reply)) << "five items for four tags";
  EXPECT_FALSE(list.Value(0).has_value());
}

}  // namespace
}  // namespace znapi::detail
