// Registrations racing with their owner's removal, and list replies that do not match the
// list: what the entry-point tests cannot set up on purpose.
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
  EXPECT_EQ(registry.size(), 0u) << "the owned handle went with its owner";
}

TEST(TagList, ReplyWithAnotherItemCountIsRefusedAndClearsTheValues) {
  TagList list(nullptr);
  list.Add("A");
  list.Add("B");
  znwire::ListReadReply reply;
  reply.add_items()->set_ok(true);
  reply.add_items()->set_ok(true);
  ASSERT_TRUE(list.Store(reply));
  EXPECT_EQ(list.Value(1), "");
  list.Add("C");
  EXPECT_FALSE(list.Value(2).has_value()) << "added after the read";
  EXPECT_FALSE(list.Store(reply)) << "two items for three tags";
  reply.add_items();
  reply.add_items();
  EXPECT_FALSE(list.Store(reply)) << "four items for three tags";
  EXPECT_FALSE(list.Value(0).has_value());
}

}  // namespace
}  // namespace znapi::detail
