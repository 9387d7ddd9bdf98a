// A real znsim process driven through the raw wire client.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "RawClient.h"
#include "TimeText.h"
#include "ZnsimProcess.h"
#include "framing.h"

namespace {

using namespace std::chrono_literals;
using simtest::RawClient;
using testing_support::ZnsimProcess;

std::string SummaryOfLast(std::chrono::minutes span, znsim::Millis end) {
  const znsim::Millis start = end - std::chrono::milliseconds(span).count();
  return "ZNAPIAlarmSummary(\"" + znsim::FormatDate(start) + "\",\"" + znsim::FormatTime(start) +
         "\",\"" + znsim::FormatDate(end) + "\",\"" + znsim::FormatTime(end) + "\", 0, -1)";
}

TEST(ZnsimServer, ServesOnlyAfterAGoodLogin) {
  ZnsimProcess sim;
  {
    RawClient early(sim.port());
    const auto reply = early.Zncode("Time(1)");
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->ok());
    EXPECT_TRUE(early.ClosedByPeer());
  }
  {
    RawClient wrong(sim.port());
    EXPECT_FALSE(wrong.Login("Engineer", "marlow"));
    EXPECT_TRUE(wrong.ClosedByPeer());
  }
  {
    RawClient nobody(sim.port());
    EXPECT_FALSE(nobody.Login("Nobody", "Marlow"));
  }
  RawClient good(sim.port());
  ASSERT_TRUE(good.Login());
  const auto time = good.Zncode("Time(1)");
  ASSERT_TRUE(time);
  EXPECT_TRUE(time->ok());
  EXPECT_EQ(time->zncode().result().size(), 8u);
}

TEST(ZnsimServer, RepeatedWrongPasswordsAreAnsweredEverMoreSlowly) {
  ZnsimProcess sim;
  std::vector<std::chrono::steady_clock::duration> took;
  for (int i = 0; i < 3; ++i) {
    RawClient client(sim.port());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.Login("Engineer", "guess" + std::to_string(i)));
    took.push_back(std::chrono::steady_clock::now() - start);
  }
  // Lower bounds only: a loaded machine may be slower, never faster.
  EXPECT_GE(took[0], 250ms);
  EXPECT_GE(took[2], 1000ms);
  RawClient client(sim.port());
  EXPECT_TRUE(client.Login()) << "the right password still gets in";
}

TEST(ZnsimServer, BadFramesCloseOnlyTheirOwnConnection) {
  ZnsimProcess sim;
  RawClient steady(sim.port());
  ASSERT_TRUE(steady.Login());

  {
    RawClient oversized(sim.port());
    oversized.SendBytes(std::string("\xFF\xFF\xFF\xFF", 4));
    EXPECT_TRUE(oversized.ClosedByPeer());
  }
  {
    RawClient garbage(sim.port());
    garbage.SendBytes(std::string("\x00\x00\x00\x05\xFF\xFF\xFF\xFF\xFF", 9));
    EXPECT_TRUE(garbage.ClosedByPeer());
  }
  {
    RawClient claimsMuch(sim.port());  // announces 16 MiB, sends a little, goes away
    claimsMuch.SendBytes(std::string("\x01\x00\x00\x00", 4) + std::string(1000, 'x'));
  }
  {
    RawClient empty(sim.port());
    ASSERT_TRUE(empty.Login());
    const auto reply = empty.Call(znwire::Request{});  // no body at all
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->ok());
  }
  const auto reply = steady.Zncode("Date(1)");
  ASSERT_TRUE(reply);
  EXPECT_TRUE(reply->ok());
  RawClient late(sim.port());
  EXPECT_TRUE(late.Login()) << "new clients are still accepted";
}

TEST(ZnsimServer, SleepDelaysOnlyItsOwnConnection) {
  ZnsimProcess sim;
  RawClient sleeper(sim.port());
  RawClient other(sim.port());
  ASSERT_TRUE(sleeper.Login());
  ASSERT_TRUE(other.Login());
  auto request = simtest::ZncodeRequest("Sleep(20000)");
  request.set_id(77);
  sleeper.SendBytes(*znwire::EncodeFrame(request));
  const auto start = std::chrono::steady_clock::now();
  const auto time = other.Zncode("Time(1)");
  ASSERT_TRUE(time);
  EXPECT_TRUE(time->ok());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);
  EXPECT_FALSE(sleeper.Call(simtest::ZncodeRequest("Time(1)"), 200ms))
      << "the sleeper's reply is still held back";
}

TEST(ZnsimServer, FindsPageThroughTheTagTable) {
  ZnsimProcess sim({"--generate-tags", "5000"});
  RawClient client(sim.port());
  ASSERT_TRUE(client.Login());
  const auto first = client.FindFirst("Tag", 100);
  ASSERT_TRUE(first && first->ok());
  const auto& page = first->find_page();
  ASSERT_GT(page.total(), 5000u);
  EXPECT_EQ(page.rows_size(), 100);
  EXPECT_EQ(page.columns(0), "Tag");
  std::set<std::string> names;
  for (const auto& row : page.rows()) names.insert(row.values(0));
  std::uint64_t offset = 100;
  while (offset < page.total()) {
    const auto next = client.FindFetch(page.search(), offset, 100000);
    ASSERT_TRUE(next && next->ok());
    ASSERT_GT(next->find_page().rows_size(), 0);
    EXPECT_LE(next->find_page().rows_size(), 2000) << "pages are capped";
    EXPECT_EQ(next->find_page().offset(), offset);
    for (const auto& row : next->find_page().rows()) names.insert(row.values(0));
    offset += static_cast<std::uint64_t>(next->find_page().rows_size());
  }
  EXPECT_EQ(names.size(), page.total()) << "every tag once";
  EXPECT_TRUE(names.count("GEN005000"));

  znwire::Request close;
  close.mutable_find_close()->set_search(page.search());
  EXPECT_TRUE(client.Call(close)->ok());
  EXPECT_FALSE(client.FindFetch(page.search(), 0, 10)->ok()) << "a closed search is gone";
  EXPECT_FALSE(client.FindFetch(987654, 0, 10)->ok());
}

TEST(ZnsimServer, OpenSearchesPerConnectionAreCapped) {
  ZnsimProcess sim;
  {
    RawClient hog(sim.port());
    ASSERT_TRUE(hog.Login());
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(hog.FindFirst("Tag", 1)->ok()) << i;
    const auto refused = hog.FindFirst("Tag", 1);
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->ok());
  }
  RawClient next(sim.port());
  ASSERT_TRUE(next.Login());
  EXPECT_TRUE(next.FindFirst("Tag", 1)->ok());
}

TEST(ZnsimServer, QueriesAnswerOrFailCleanly) {
  ZnsimProcess sim({"--max-rows", "5000"});
  RawClient client(sim.port());
  ASSERT_TRUE(client.Login());

  const auto none = client.FindFirst(R"(ZNAPITrend("04:00:24","04/05/2005",2, 0, 0, TREND1))");
  ASSERT_TRUE(none && none->ok());
  EXPECT_EQ(none->find_page().total(), 0u);
  EXPECT_EQ(none->find_page().search(), 0u) << "nothing kept for an empty result";

  const auto trend = client.FindFirst(R"(ZNAPITrend("04:00:24","04/05/2005", 2 , 300, 0, TREND1))");
  ASSERT_TRUE(trend && trend->ok());
  EXPECT_EQ(trend->find_page().total(), 300u);
  EXPECT_EQ(trend->find_page().columns(2), "TREND1");

  for (const char* table : {"ZNAPIAlarm(0, 4, 0)", "ZNAPIAlarm(0, 0, 0)", "_Trend", "Instruments",
                            "Maintenance", "Dosing"}) {
    const auto reply = client.FindFirst(table);
    ASSERT_TRUE(reply) << table;
    EXPECT_TRUE(reply->ok()) << table << ": " << reply->error();
    EXPECT_GT(reply->find_page().total(), 0u) << table;
  }

  const char* bad[] = {
      "ZNAPIAlarmSummary(\"04/05/2005\",\"03:50:24\",\"04/05/2005\")",
      "ZNAPIAlarmSummary(\"32/05/2005\",\"03:50:24\",\"04/05/2005\",\"04:00:24\", 0, -1)",
      R"(ZNAPITrend("04:00:24","04/05/2005",-2, 300, 0, TREND1))",
      R"(ZNAPITrend("04:00:24","04/05/2005",2, 5001, 0, TREND1))",
      R"(ZNAPITrend("04:00:24","04/05/2005",2, 300, 0, NOSUCH))",
      "ZNAPINothing(0)",
      "NoSuchDevice",
  };
  for (const char* table : bad) {
    const auto reply = client.FindFirst(table);
    ASSERT_TRUE(reply) << table;
    EXPECT_FALSE(reply->ok()) << table;
    EXPECT_FALSE(reply->error().empty()) << table;
  }
  EXPECT_TRUE(client.Zncode("Time(1)")->ok()) << "the connection survives bad queries";
}

TEST(ZnsimServer, ListReadReportsEachItem) {
  ZnsimProcess sim;
  RawClient client(sim.port());
  ASSERT_TRUE(client.Login());
  ASSERT_TRUE(client.Call(simtest::TagWriteRequest("SHIFT_Operator", "A. N. Other"))->ok());
  znwire::Request request;
  for (const char* tag : {"LIT101", "NOSUCH", "SHIFT_Operator", "P103_Fault"}) {
    request.mutable_list_read()->add_tags(tag);
  }
  const auto reply = client.Call(request);
  ASSERT_TRUE(reply && reply->ok());
  const auto& items = reply->list_read().items();
  ASSERT_EQ(items.size(), 4);
  EXPECT_TRUE(items[0].ok());
  EXPECT_FALSE(items[1].ok());
  EXPECT_EQ(items[2].value(), "A. N. Other");
  EXPECT_EQ(items[3].value(), "1");
}

TEST(ZnsimServer, WrittenValuesAndAlarmHistorySurviveAKill) {
  const std::string data = testing_support::MakeTempDir("znsim-kill-");
  const znsim::Millis end = znsim::NowMillis();
  std::set<std::string> before;
  {
    ZnsimProcess sim({}, data);
    RawClient client(sim.port());
    ASSERT_TRUE(client.Login());
    const auto written = client.Call(simtest::TagWriteRequest("CL_Residual_SP", "0.95"));
    ASSERT_TRUE(written && written->ok());
    const auto refused = client.Call(simtest::TagWriteRequest("CL_Residual_SP", "abc"));
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->ok());
    const auto summary = client.FindFirst(SummaryOfLast(std::chrono::minutes(30), end), 2000);
    ASSERT_TRUE(summary && summary->ok());
    ASSERT_GT(summary->find_page().total(), 0u) << "a fresh plant has recent alarm history";
    for (const auto& row : summary->find_page().rows()) {
      before.insert(row.values(0) + row.values(1) + row.values(4));
    }
    sim.kill9();  // right after the acknowledged write
  }
  ZnsimProcess again({}, data);
  RawClient client(again.port());
  ASSERT_TRUE(client.Login());
  const auto read = client.Zncode("TagRead(\"CL_Residual_SP\")");
  ASSERT_TRUE(read && read->ok());
  EXPECT_EQ(read->zncode().result(), "0.95");
  const auto summary = client.FindFirst(SummaryOfLast(std::chrono::minutes(30), end), 2000);
  ASSERT_TRUE(summary && summary->ok());
  std::set<std::string> after;
  for (const auto& row : summary->find_page().rows()) {
    after.insert(row.values(0) + row.values(1) + row.values(4));
  }
  EXPECT_EQ(after, before) << "the same occurrences, neither lost nor seeded twice";
  again.terminate();
  std::filesystem::remove_all(data);
}

}  // namespace
