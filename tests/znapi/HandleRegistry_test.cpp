// Registrations racing with their owner's removal, runs of member handles, and list replies
// that do not match the list: what the entry-point tests cannot set up on purpose.
#include "HandleRegistry.h"

#include <gtest/gtest.h>

#include "HandleObjects.h"

namespace znapi::detail {
namespace {

std::shared_ptr<TagList> List() {
  return std::make_shared<TagList>(nullptr);
}

TEST(HandleRegistry, NothingIsAddedUnderAnOwnerThatIsGone) {
  HandleRegistry registry;
  const auto owner = registry.Add(List());
  ASSERT_NE(registry.Add(List(), owner), 0);
  EXPECT_TRUE(registry.Remove(owner));
  EXPECT_EQ(registry.Add(List(), owner), 0);
  EXPECT_EQ(registry.Add(List(), 12345), 0);
  EXPECT_EQ(registry.AddMember(Items{List()}, owner, 0, HandleRegistry::Earlier::Stay), 0);
  EXPECT_EQ(registry.size(), 0u) << "the owned handle went with its owner";
}

// Members take consecutive numbers in one entry while nothing else takes a number; another
// handle in between starts a new run, and every member keeps its own index.
TEST(HandleRegistry, MembersShareRunsAndKeepTheirIndexes) {
  HandleRegistry registry;
  const auto listA = List();
  const auto listB = List();
  const auto a = registry.Add(listA);
  const auto b = registry.Add(listB);
  std::vector<std::pair<std::int32_t, std::uint64_t>> itemsOfA, itemsOfB;
  for (std::uint64_t i = 0; i < 3000; ++i) {
    itemsOfA.emplace_back(registry.AddMember(Items{listA}, a, i, HandleRegistry::Earlier::Stay), i);
    // Every 1,000 items of A, three of B come between them.
    if (i % 1000 == 999) {
      for (std::uint64_t j = 0; j < 3; ++j) {
        const std::uint64_t index = itemsOfB.size();
        itemsOfB.emplace_back(
            registry.AddMember(Items{listB}, b, index, HandleRegistry::Earlier::Stay), index);
      }
    }
  }
  EXPECT_EQ(registry.size(), 2u + 3u + 3u) << "two lists, three runs of A, three of B";
  for (const auto& [items, list] : {std::pair{&itemsOfA, listA}, std::pair{&itemsOfB, listB}}) {
    for (const auto& [handle, index] : *items) {
      const auto member = registry.FindMember<Items>(handle);
      ASSERT_TRUE(member.has_value()) << handle;
      EXPECT_EQ(member->first.list, list);
      EXPECT_EQ(member->second, index);
    }
  }
  EXPECT_EQ(registry.Find<TagList>(itemsOfA[5].first), nullptr) << "an item is not a list";
  EXPECT_EQ(registry.Take<TagList>(itemsOfA[5].first), nullptr);
  EXPECT_FALSE(registry.FindMember<Records>(itemsOfA[5].first).has_value());
  EXPECT_FALSE(registry.FindMember<Items>(a).has_value()) << "a list is not an item";

  EXPECT_EQ(registry.Take<TagList>(a), listA);
  EXPECT_EQ(registry.size(), 1u + 3u);
  EXPECT_FALSE(registry.FindMember<Items>(itemsOfA.back().first).has_value());
  EXPECT_TRUE(registry.FindMember<Items>(itemsOfB.back().first).has_value());
}

TEST(TagList, ReplyWithAnotherItemCountIsRefusedAndClearsTheValues) {
  TagList list(nullptr);
  list.Add("A");
  list.Add("B");
  const auto reply = [](int items) {
    znwire::ListReadReply list;
    for (int i = 0; i < items; ++i) list.add_items()->set_ok(true);
    znwire::ListReadResponse response;
    response.set_list_read(list.SerializeAsString());
    return response;
  };
  ASSERT_TRUE(list.Store(reply(2)));
  EXPECT_EQ(list.Value(1), "");
  list.Add("C");
  EXPECT_FALSE(list.Value(2).has_value()) << "added after the read";
  EXPECT_FALSE(list.Store(reply(2))) << "two items for three tags";
  EXPECT_FALSE(list.Store(reply(4))) << "four items for three tags";
  EXPECT_FALSE(list.Value(0).has_value());
}

}  // namespace
}  // namespace znapi::detail
