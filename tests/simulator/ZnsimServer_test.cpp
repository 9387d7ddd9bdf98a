// Real znsim processes driven through the raw wire client.
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
    RawClient guess(sim.port());
    const auto reply = guess.LoginReply("Engineer", "guess");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->error(), "wrong user name or password");
    EXPECT_TRUE(guess.ClosedByPeer());
  }
  RawClient good(sim.port());
  ASSERT_TRUE(good.Login()) << "the right password still gets in";
  const auto time = good.Zncode("Time(1)");
  ASSERT_TRUE(time && time->ok());
  EXPECT_EQ(time->zncode().result().size(), 8u);
  const auto again = good.LoginReply("Engineer", "Marlow");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->error(), "already logged in");
}

// Only a broken frame ends a connection; a request that does not decode is answered.
TEST(ZnsimServer, BadFramesCloseOnlyTheirOwnConnectionAndBadRequestsAreAnswered) {
  ZnsimProcess sim;
  RawClient steady(sim.port());
  ASSERT_TRUE(steady.Login());
  for (const std::string& bytes :
       {std::string("\xFF\xFF\xFF\xFF", 4),                              // over the frame limit
        std::string("\x00\x01\x00\x01", 4) + std::string(1000, 'x')}) {  // over it before login
    RawClient bad(sim.port());
    bad.SendBytes(bytes);
    EXPECT_TRUE(bad.ClosedByPeer());
  }
  // Request 5 runs the script "\xFF", invalid UTF-8 in a text field; then a body of garbage.
  const std::string invalidText("\x08\x05\x1A\x03\x0A\x01\xFF", 7);
  const std::string garbage("\xFF\xFF\xFF\xFF\xFF", 5);
  for (const auto& body : {invalidText, garbage}) {
    steady.SendBytes(std::string("\0\0\0", 3) + static_cast<char>(body.size()) + body);
    const auto reply = steady.ReadReply(std::chrono::seconds(30));
    ASSERT_TRUE(reply) << "answered, and the connection is still up";
    EXPECT_FALSE(reply->ok());
    EXPECT_EQ(reply->error(), "undecodable request");
    EXPECT_EQ(reply->id(), body == invalidText ? 5u : 0u) << "the id, where it can be read";
    const auto next = steady.Zncode("Date(1)");
    ASSERT_TRUE(next && next->ok()) << "the next request on the same socket succeeds";
  }
  const auto empty = steady.Call(znwire::Request{});  // no body at all
  ASSERT_TRUE(empty);
  EXPECT_FALSE(empty->ok());
  RawClient late(sim.port());
  EXPECT_TRUE(late.Login()) << "new clients are still accepted";
}

// Large lists, read where the server reads them quickly and on a worker beyond that: each item
// keeps its own outcome, a reply beyond the frame limit is refused as a whole, and a bad name
// fails the request alone.
TEST(ZnsimServer, LargeListReadsAnswerPerItemAndRefuseWhatCannotBeSent) {
  ZnsimProcess sim;
  RawClient client(sim.port());
  ASSERT_TRUE(client.Login());
  const auto list = [](const std::vector<std::string>& tags, int times) {
    znwire::Request request;
    for (int i = 0; i < times; ++i) {
      for (const auto& tag : tags) request.mutable_list_read()->add_tags(tag);
    }
    return request;
  };
  const auto read = client.Call(list({"LIT101", "NO_SUCH_TAG", "P101_Run"}, 2000));
  ASSERT_TRUE(read && read->ok()) << (read ? read->error() : "no reply");
  ASSERT_EQ(read->list_read().items_size(), 6000);
  for (int i : {0, 1, 2, 5997, 5998, 5999}) {
    EXPECT_EQ(read->list_read().items(i).ok(), i % 3 != 1) << i;
    EXPECT_EQ(read->list_read().items(i).value().empty(), i % 3 == 1) << i;
  }

  znwire::Request write;
  write.mutable_tag_write()->set_tag("PLANT_Message");
  write.mutable_tag_write()->set_value(std::string(254, 'm'));  // the longest text
  const auto written = client.Call(write);
  ASSERT_TRUE(written && written->ok()) << (written ? written->error() : "no reply");
  // 262 bytes an item: 64,035 fit the frame.
  const auto tooLarge = client.Call(list({"PLANT_Message"}, 65000));
  ASSERT_TRUE(tooLarge);
  EXPECT_FALSE(tooLarge->ok());
  EXPECT_EQ(tooLarge->error(), "reply too large");
  const auto fits = client.Call(list({"PLANT_Message"}, 64000));
  ASSERT_TRUE(fits && fits->ok()) << (fits ? fits->error() : "no reply");
  EXPECT_EQ(fits->list_read().items(63999).value(), std::string(254, 'm'));

  const auto badName = client.Call(list({"LIT101", "\xFF"}, 2000));
  ASSERT_TRUE(badName);
  EXPECT_EQ(badName->error(), "undecodable request");
  const auto next = client.TagRead("LIT101");
  EXPECT_TRUE(next && next->ok()) << "the connection is still up";
}

// A frame that takes several reads, and frames that arrive together, are each answered once and
// in order; a long request on a worker holds up neither its neighbours nor its own reply.
TEST(ZnsimServer, FramesSplitOrJoinedAreAnsweredInOrderBesideALongRequest) {
  ZnsimProcess sim({"--generate-tags", "100000"});
  RawClient client(sim.port());
  RawClient bulk(sim.port());
  ASSERT_TRUE(client.Login());
  ASSERT_TRUE(bulk.Login());
  const auto listOf = [](std::uint32_t id, int tags) {
    znwire::Request request;
    request.set_id(id);
    for (int i = 1; i <= tags; ++i) {
      request.mutable_list_read()->add_tags("GEN" + std::to_string(1000000 + i).substr(1));
    }
    return *znwire::EncodeFrame(request);
  };
  znwire::Request tagRead;
  tagRead.set_id(3);
  tagRead.mutable_tag_read()->set_tag("LIT101");
  const std::string longList = listOf(9, 100000);
  bulk.SendBytes(longList);
  // 10,000 names are about 120 kB, more than one read takes; the header itself is split too.
  const std::string frames = listOf(1, 10000) + listOf(2, 3) + *znwire::EncodeFrame(tagRead);
  client.SendBytes(frames.substr(0, 2));
  client.SendBytes(frames.substr(2, 70000));
  client.SendBytes(frames.substr(70002));
  for (const auto& [id, items] : {std::pair{1u, 10000}, {2u, 3}, {3u, 0}}) {
    const auto reply = client.ReadReply(30s);
    ASSERT_TRUE(reply && reply->ok()) << id;
    EXPECT_EQ(reply->id(), id);
    EXPECT_EQ(reply->list_read().items_size(), items) << id;
    if (items > 0) {
      EXPECT_TRUE(reply->list_read().items(items - 1).ok()) << id;
    }
  }
  const auto browse = client.FindFirst("Tag", 2000);
  ASSERT_TRUE(browse && browse->ok());
  const auto page = client.FindFetch(browse->find_page().search(), 98000, 2000);
  ASSERT_TRUE(page && page->ok());
  ASSERT_EQ(page->find_page().rows_size(), 2000);
  const auto bulkReply = bulk.ReadReply(60s);
  ASSERT_TRUE(bulkReply && bulkReply->ok());
  EXPECT_EQ(bulkReply->id(), 9u);
  ASSERT_EQ(bulkReply->list_read().items_size(), 100000);
  EXPECT_TRUE(bulkReply->list_read().items(99999).ok());
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
    // More empty results than the cap on open searches: they keep none.
    for (int i = 0; i < 70; ++i) {
      const auto none = hog.FindFirst(R"(ZNAPITrend("04:00:24","04/05/2005",2, 0, 0, TREND1))");
      ASSERT_TRUE(none && none->ok() && none->find_page().search() == 0) << i;
    }
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

// Written values surviving a kill are seen through the library.
TEST(ZnsimServer, AlarmHistorySurvivesAKill) {
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
    before = occurrences(client);
    ASSERT_FALSE(before.empty()) << "a fresh plant has recent alarm history";
    sim.kill9();
  }
  ZnsimProcess again({}, data.path);
  RawClient client(again.port());
  ASSERT_TRUE(client.Login());
  EXPECT_EQ(occurrences(client), before) << "the same occurrences, neither lost nor seeded twice";
}

}  // namespace
