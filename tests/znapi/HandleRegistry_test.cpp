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
std::shared_ptr<ListItem> Item(const std::shared_ptr<TagList>& list) {
  return std::make_shared<ListItem>(ListItem{list, 0});
}

TEST(HandleRegistry, HandlesArePositiveAndNeverReused) {
  HandleRegistry registry;
  std::set<std::int32_t> seen;
  for (int i = 0; i < 100; ++i) {
    const auto h = registry.Add(List());
    ASSERT_GT(h, 0);
    EXPECT_TRUE(seen.insert(h).second);
    if (i % 2 == 0) registry.Remove(h);
  }
  EXPECT_EQ(registry.size(), 50u);
}

TEST(HandleRegistry, HandleOfAnotherKindIsNotFound) {
  HandleRegistry registry;
  const auto list = List();
  const auto h = registry.Add(list);
  EXPECT_EQ(registry.Find<TagList>(h), list);
  EXPECT_EQ(registry.Find<ListItem>(h), nullptr);
  EXPECT_EQ(registry.Find<Connection>(h), nullptr);
  EXPECT_EQ(registry.Take<Search>(h), nullptr);
  EXPECT_EQ(registry.Find<TagList>(h), list) << "a Take of the wrong kind removed the handle";
  for (const std::int32_t bad : {0, -1, h + 1, std::numeric_limits<std::int32_t>::min()}) {
    EXPECT_EQ(registry.Find<TagList>(bad), nullptr) << bad;
    EXPECT_FALSE(registry.Remove(bad)) << bad;
  }
}

TEST(HandleRegistry, RemovingAnOwnerRemovesWhatItOwnsAndNothingElse) {
  HandleRegistry registry;
  const auto list = List();
  const auto connectionLike = registry.Add(List());
  const auto owned = registry.Add(list, connectionLike);
  std::vector<std::int32_t> items;
  for (int i = 0; i < 1000; ++i) items.push_back(registry.Add(Item(list), owned));
  const auto other = registry.Add(List(), connectionLike);
  const auto unrelated = registry.Add(List());

  EXPECT_TRUE(registry.Remove(owned));
  for (const auto item : items) EXPECT_EQ(registry.Find<ListItem>(item), nullptr);
  EXPECT_NE(registry.Find<TagList>(other), nullptr);

  EXPECT_TRUE(registry.Remove(connectionLike));
  EXPECT_EQ(registry.Find<TagList>(other), nullptr);
  EXPECT_NE(registry.Find<TagList>(unrelated), nullptr);
  EXPECT_EQ(registry.size(), 1u);
}

TEST(HandleRegistry, NothingIsAddedUnderAnOwnerThatIsGone) {
  HandleRegistry registry;
  const auto owner = registry.Add(List());
  registry.Remove(owner);
  EXPECT_EQ(registry.Add(List(), owner), 0);
  EXPECT_EQ(registry.Add(List(), 12345), 0);
  EXPECT_EQ(registry.size(), 0u);
}

TEST(HandleRegistry, ConcurrentAddsGiveDistinctHandles) {
  HandleRegistry registry;
  constexpr int kThreads = 4, kEach = 2000;
  std::vector<std::vector<std::int32_t>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) got[t].push_back(registry.Add(List()));
    });
  }
  for (auto& th : threads) th.join();
  std::set<std::int32_t> all;
  for (const auto& v : got) all.insert(v.begin(), v.end());
  EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kEach));
  EXPECT_EQ(all.count(0), 0u);
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
  auto* c = reply.add_items();
  c->set_ok(true);
  ASSERT_TRUE(list.Store(reply));
  EXPECT_EQ(list.Value(0), "1.5");
  EXPECT_FALSE(list.Value(1).has_value());
  EXPECT_EQ(list.Value(2), "");

  list.Add("D");
  EXPECT_FALSE(list.Value(3).has_value()) << "added after the read";

  reply.add_items()->set_ok(true);
  reply.add_items()->set_ok(true);
  EXPECT_FALSE(list.Store(reply)) << "five items for four tags";
  EXPECT_FALSE(list.Value(0).has_value());

  EXPECT_EQ(list.ReadRequest().tags_size(), 4);
}

}  // namespace
}  // namespace znapi::detail
