// The call sequences with owning handles: what a list read gives each tag, and that lists and
// finds are freed on every way out, an error raised on the way included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeZnApi.h"
#include "ListHandle.h"
#include "RecordCursor.h"

namespace {

using binding::ListValue;
using Outcome = ListValue::Outcome;

class CallSequences : public ::testing::Test {
 protected:
  CallSequences() {
    fake::Server& scada = api.server("scada");
    scada.tags = {{"T1", "12.5"}, {"Long", std::string(300, 'x')}};
    scada.listAddRefused = {"Refused"};
    scada.tables["Tag"].records = {{{"Tag", "A"}}, {{"Tag", "B"}}, {{"Tag", "C"}}};
    h = api.znOpen("scada", "", "", 0);
  }

  fake::FakeZnApi api;
  std::int32_t h = 0;
};

TEST_F(CallSequences, AListReadGivesEachTagItsValueOrWhyNotAndTheSecondsItTook) {
  std::vector<std::int64_t> clock{100, 103};
  binding::ListReading reading;
  {
    binding::ListHandle list(api, h);
    ASSERT_TRUE(list.made());
    list.Read({"T1", "Missing", "Refused", "Long"}, reading, [&] {
      const std::int64_t now = clock.front();
      clock.erase(clock.begin());
      return now;
    });
    EXPECT_EQ(api.countOf("znListRead"), 1) << "one request for the whole list";
  }
  const std::vector<std::pair<Outcome, std::string>> expected{
      {Outcome::Read, "12.5"},
      {Outcome::NotRead, ""},
      {Outcome::NotAdded, ""},
      {Outcome::Read, std::string(255, 'x')}};
  ASSERT_EQ(reading.values.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(reading.values[i].outcome, expected[i].first) << i;
    EXPECT_EQ(reading.values[i].text, expected[i].second) << i;
  }
  EXPECT_EQ(reading.seconds, 3);
  EXPECT_EQ(api.argsOf("znListData", 1), (std::vector<std::string>(3, "255")))
      << "a refused tag is not asked for";
  EXPECT_TRUE(api.openLists().empty());
}

TEST_F(CallSequences, AnErrorKeepsWhatWasTakenAndStillFreesTheList) {
  api.onCall = [&](const fake::Call& call) {
    if (call.name == "znListData" && api.countOf("znListData") == 2)
      throw binding::LibraryError("gone");
  };
  binding::ListReading reading;
  EXPECT_THROW(
      {
        binding::ListHandle list(api, h);
        list.Read({"T1", "T1", "T1"}, reading);
      },
      binding::LibraryError);
  ASSERT_EQ(reading.values.size(), 1u);
  EXPECT_EQ(reading.values[0].text, "12.5");
  EXPECT_FALSE(reading.seconds) << "no clock, no timing";
  EXPECT_TRUE(api.openLists().empty());
}

TEST_F(CallSequences, AWalkVisitsUntilToldToStopAndTheFindIsClosedHoweverItEnds) {
  std::vector<std::string> seen;
  {
    binding::RecordCursor find(api, h, "Tag");
    ASSERT_TRUE(find.Found());
    EXPECT_EQ(find.Count(), 3);
    find.First();
    find.Walk([&] {
      seen.push_back(find.Field("Tag").bytes.data());
      return seen.size() < 2;
    });
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(api.argsOf("znFindScroll", 1), (std::vector<std::string>{"4", "3"}));
  EXPECT_EQ(api.countOf("znFindNext"), 1) << "no record fetched past the stop";
  EXPECT_EQ(api.countOf("znFindClose"), 1);

  EXPECT_THROW(
      {
        binding::RecordCursor find(api, h, "Tag");
        find.Walk([]() -> bool { throw binding::LibraryError("gone"); });
      },
      binding::LibraryError);
  EXPECT_TRUE(api.openSearches().empty());
  binding::RecordCursor nothing(api, h, "NoSuchTable");
  EXPECT_FALSE(nothing.Found());
}

}  // namespace
