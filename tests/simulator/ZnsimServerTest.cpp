// A real znsim process driven through the raw wire client.
#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "RawClient.h"
#include "TimeText.h"
#include "ZnsimProcess.h"
#include "framing.h"

namespace {

using namespace std::chrono_literals;
using simtest::RawClient;
using testing_support::ZnsimProcess;
using Clock = std::chrono::steady_clock;

TEST(ZnsimServer, ServesOnlyAfterAGoodLoginAndSlowsRepeatedGuesses) {
  ZnsimProcess sim;
  {
    RawClient early(sim.port());
    const auto reply = early.Zncode("Time(1)");
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->ok());
    EXPECT_TRUE(early.ClosedByPeer());
  }
  std::vector<Clock::duration> took;
  for (int i = 0; i < 3; ++i) {
    RawClient guess(sim.port());
    const auto start = Clock::now();
    EXPECT_FALSE(guess.Login("Engineer", "guess" + std::to_string(i)));
    took.push_back(Clock::now() - start);
    EXPECT_TRUE(guess.ClosedByPeer());
  }
  // Lower bounds only: a loaded machine may be slower, never faster.
  EXPECT_GE(took[0], 250ms);
  EXPECT_GE(took[2], 1000ms);
  RawClient good(sim.port());
  ASSERT_TRUE(good.Login()) << "the right password still gets in";
  const auto time = good.Zncode("Time(1)");
  ASSERT_TRUE(time && time->ok());
  EXPECT_EQ(time->zncode().result().size(), 8u);
}

TEST(ZnsimServer, BadFramesCloseOnlyTheirOwnConnection) {
  ZnsimProcess sim;
  RawClient steady(sim.port());
  ASSERT_TRUE(steady.Login());
  for (const std::string& bytes : {std::string("\xFF\xFF\xFF\xFF", 4),
                                   std::string("\x00\x00\x00\x05\xFF\xFF\xFF\xFF\xFF", 9)}) {
    RawClient bad(sim.port());
    bad.SendBytes(bytes);
    EXPECT_TRUE(bad.ClosedByPeer());
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
  ASSERT_TRUE(reply && reply->ok());
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
  const auto time = other.Zncode("Time(1)");
  ASSERT_TRUE(time && time->ok());
  // Had the sleep held up the whole server, its reply would be waiting here by now.
  EXPECT_FALSE(sleeper.Call(simtest::ZncodeRequest("Time(1)"), 200ms));
}

TEST(ZnsimServer, PagesAndOpenSearchesAreBounded) {
  ZnsimProcess sim({"--generate-tags", "5000"});
  {
    RawClient hog(sim.port());
    ASSERT_TRUE(hog.Login());
    const auto big = hog.FindFirst("Tag", 100000);
    ASSERT_TRUE(big && big->ok());
    EXPECT_GT(big->find_page().rows_size(), 0);
    EXPECT_LE(big->find_page().rows_size(), 2000);
    for (int i = 1; i < 64; ++i) ASSERT_TRUE(hog.FindFirst("Tag", 1)->ok()) << i;
    const auto refused = hog.FindFirst("Tag", 1);
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->ok());
  }
  RawClient next(sim.port());
  ASSERT_TRUE(next.Login());
  EXPECT_TRUE(next.FindFirst("Tag", 1)->ok()) << "the cap is per connection";
}

TEST(ZnsimServer, RowLimitComesFromTheCommandLineAndEmptyResultsKeepNoSearch) {
  ZnsimProcess sim({"--max-rows", "5000"});
  RawClient client(sim.port());
  ASSERT_TRUE(client.Login());
  const auto trend = [&](int count) {
    return client.FindFirst(R"(ZNAPITrend("04:00:24","04/05/2005",2, )" + std::to_string(count) +
                            ", 0, TREND1)");
  };
  const auto full = trend(5000);
  ASSERT_TRUE(full && full->ok());
  EXPECT_EQ(full->find_page().total(), 5000u);
  EXPECT_FALSE(trend(5001)->ok());
  const auto none = trend(0);
  ASSERT_TRUE(none && none->ok());
  EXPECT_EQ(none->find_page().total(), 0u);
  EXPECT_EQ(none->find_page().search(), 0u);
}

TEST(ZnsimServer, WrittenValuesAndAlarmHistorySurviveAKill) {
  testing_support::TempDir data;
  const znsim::Millis end = znsim::NowMillis(), start = end - 30 * 60'000;
  const std::string summaryOfLastHalfHour =
      "ZNAPIAlarmSummary(\"" + znsim::FormatDate(start) + "\",\"" + znsim::FormatTime(start) +
      "\",\"" + znsim::FormatDate(end) + "\",\"" + znsim::FormatTime(end) + "\", 0, -1)";
  const auto occurrences = [&](RawClient& client) {
    std::set<std::string> out;
    const auto summary = client.FindFirst(summaryOfLastHalfHour, 2000);
    EXPECT_TRUE(summary && summary->ok());
    if (!summary) return out;
    for (const auto& row : summary->find_page().rows()) {
      out.insert(row.values(0) + row.values(1) + row.values(4));
    }
    return out;
  };
  std::set<std::string> before;
  {
    ZnsimProcess sim({}, data.path);
    RawClient client(sim.port());
    ASSERT_TRUE(client.Login());
    znwire::Request write;
    write.mutable_tag_write()->set_tag("CL_Residual_SP");
    write.mutable_tag_write()->set_value("0.95");
    ASSERT_TRUE(client.Call(write)->ok());
    before = occurrences(client);
    ASSERT_FALSE(before.empty()) << "a fresh plant has recent alarm history";
    sim.kill9();  // right after the acknowledged write
  }
  ZnsimProcess again({}, data.path);
  RawClient client(again.port());
  ASSERT_TRUE(client.Login());
  const auto read = client.Zncode("TagRead(\"CL_Residual_SP\")");
  ASSERT_TRUE(read && read->ok());
  EXPECT_EQ(read->zncode().result(), "0.95");
  EXPECT_EQ(occurrences(client), before) << "the same occurrences, neither lost nor seeded twice";
}

}  // namespace
