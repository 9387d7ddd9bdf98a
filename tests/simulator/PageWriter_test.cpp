// Pages written straight into their wire form: what a client parses from them, with some
// columns or all, up to the size limit, inside a whole framed reply.
#include "PageWriter.h"

#include <gtest/gtest.h>

#include "Session.h"
#include "framing.h"
#include "znwire.pb.h"

namespace znsim {
namespace {

google::protobuf::RepeatedField<std::uint32_t> Indices(std::initializer_list<std::uint32_t> list) {
  google::protobuf::RepeatedField<std::uint32_t> field;
  for (const auto i : list) field.Add(i);
  return field;
}

znwire::FindPage Parse(PageWriter& writer) {
  znwire::FindPage page;
  EXPECT_TRUE(page.ParseFromString(writer.Take()));
  return page;
}

TEST(PageWriter, SendsTheColumnsAskedForInColumnOrder) {
  struct Case {
    std::initializer_list<std::uint32_t> wanted;
    std::vector<std::uint32_t> present;
    std::vector<std::string> values;  // of the row {"a", "", "ccc"}
  };
  // Column 7 is out of range: as if it were not named.
  const Case cases[] = {
      {{}, {}, {"a", "", "ccc"}}, {{2}, {2}, {"ccc"}},         {{2, 0, 2}, {0, 2}, {"a", "ccc"}},
      {{1}, {1}, {""}},           {{7}, {}, {"a", "", "ccc"}}, {{7, 2}, {2}, {"ccc"}},
  };
  for (const auto& c : cases) {
    PageWriter writer(3, Indices(c.wanted), 1 << 20);
    EXPECT_EQ(writer.present(), c.present);
    EXPECT_EQ(writer.Wants(2), c.present.empty() || c.present.back() == 2);
    ASSERT_TRUE(writer.Row({"a", "", "ccc"}));
    ASSERT_TRUE(writer.Row(std::vector<std::string>{"x", "y"}));  // a short row
    const auto page = Parse(writer);
    ASSERT_EQ(page.rows_size(), 2);
    EXPECT_EQ(std::vector<std::string>(page.rows(0).values().begin(), page.rows(0).values().end()),
              c.values);
    EXPECT_EQ(page.rows(1).values_size(), static_cast<int>(c.values.size()));
  }
}

TEST(PageWriter, StopsAtTheLimitButAlwaysTakesTheFirstRow) {
  const std::string wide(300, 'w');
  PageWriter writer(1, {}, 1000);
  EXPECT_TRUE(writer.Row({std::string(5000, 'x')})) << "the first row goes even when too big";
  EXPECT_FALSE(writer.Row({wide}));
  EXPECT_EQ(writer.rows(), 1u);

  PageWriter some(1, {}, 1000);
  int taken = 0;
  while (some.Row({wide})) ++taken;
  EXPECT_EQ(taken, 3) << "three rows of 300 bytes and their tags fit in 1000";
  EXPECT_LE(some.Take().size(), 1000u);
}

// The page's own fields and the rows written ahead of them make one reply that the client's
// parser reads whole, after the header that announces its exact size.
TEST(EncodeReply, PutsThePageRowsInsideTheFramedReply) {
  Outcome outcome;
  outcome.response->set_id(42);
  outcome.response->set_ok(true);
  auto* page = outcome.response->mutable_find_page();
  page->set_search(3);
  page->set_total(1000);
  page->set_offset(10);
  page->add_columns("Tag");
  page->add_columns("Units");
  page->add_present(1);
  PageWriter writer(2, Indices({1}), 1 << 20);
  for (int i = 0; i < 500; ++i) writer.Row({"T" + std::to_string(i), "unit " + std::to_string(i)});
  outcome.encodedBody = writer.Take();

  std::string frame = "storage from before";
  EncodeReply(outcome, frame);
  znwire::FrameHeader header;
  std::copy_n(frame.begin(), header.size(), header.begin());
  ASSERT_EQ(znwire::BodyLength(header), frame.size() - znwire::kHeaderBytes);
  znwire::Response response;
  ASSERT_TRUE(response.ParseFromArray(frame.data() + znwire::kHeaderBytes,
                                      static_cast<int>(frame.size() - znwire::kHeaderBytes)));
  EXPECT_EQ(response.id(), 42u);
  EXPECT_TRUE(response.ok());
  const auto& got = response.find_page();
  EXPECT_EQ(got.search(), 3u);
  EXPECT_EQ(got.total(), 1000u);
  EXPECT_EQ(got.offset(), 10u);
  EXPECT_EQ(got.columns_size(), 2);
  EXPECT_EQ(got.present_size(), 1);
  ASSERT_EQ(got.rows_size(), 500);
  EXPECT_EQ(got.rows(499).values(0), "unit 499");
}

}  // namespace
}  // namespace znsim
