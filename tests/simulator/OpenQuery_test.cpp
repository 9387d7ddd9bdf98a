#include "Queries.h"

#include <gtest/gtest.h>

#include "SmallProject.h"
#include "znwire.pb.h"

namespace znsim {
namespace {

using Columns = std::vector<std::string>;

// The rows [offset, offset + count) of `result` as a client receives them, every column sent.
std::vector<ResultRow> RowsOf(const ResultSet& result, std::uint64_t offset, std::uint32_t count) {
  PageWriter writer(result.Columns().size(), {}, std::size_t{1} << 30);
  result.Write(offset, count, writer);
  znwire::FindPage page;
  EXPECT_TRUE(page.ParseFromString(writer.Take()));
  std::vector<ResultRow> rows;
  for (const auto& row : page.rows()) rows.emplace_back(row.values().begin(), row.values().end());
  return rows;
}

class QueriesTest : public ::testing::Test {
 protected:
  QueriesTest() : plant(simtest::SmallProject(), dir.path, PlantSettings{}) {}

  // Every row of the query's result, which must open.
  std::vector<ResultRow> All(const std::string& text, const Columns& columns = {}) {
    const auto outcome = OpenQuery(plant, text, 1000);
    EXPECT_TRUE(outcome.rows) << text << ": " << outcome.error;
    if (!outcome.rows) return {};
    if (!columns.empty()) {
      EXPECT_EQ(outcome.rows->Columns(), columns) << text;
    }
    return RowsOf(*outcome.rows, 0, static_cast<std::uint32_t>(outcome.rows->Total()));
  }

  simtest::TempDir dir;
  Plant plant;
};

TEST_F(QueriesTest, AlarmQueriesListConfiguredActiveAndSeededAlarms) {
  EXPECT_EQ(All("ZNAPIAlarm(0, 4, 0)").size(), 3u);
  plant.Tick(NowMillis());
  const auto active =
      All("ZNAPIAlarm(0, 0, 0)", {"Date", "Time", "Tag", "Name", "State", "Comment"});
  ASSERT_EQ(active.size(), 2u) << "LEVEL 5 is above 4.5 and PUMP is on; 5 is within 2 of 4";
  EXPECT_EQ(active[0][2], "LEVEL");
  EXPECT_EQ(active[0][3], "Level high");
  EXPECT_EQ(active[1][2], "PUMP");

  const Millis now = NowMillis(), start = now - 600'000;
  const std::string lastTenMinutes = "ZNAPIAlarmSummary(\"" + FormatDate(start) + "\",\"" +
                                     FormatTime(start) + "\",\"" + FormatDate(now) + "\",\"" +
                                     FormatTime(now) + "\", 0, -1)";
  const auto summary = All(lastTenMinutes, {"OnDate", "OnTime", "OffDate", "OffTime", "Tag", "Name",
                                            "SumState", "Comment"});
  ASSERT_EQ(summary.size(), 2u);
  EXPECT_FALSE(OpenQuery(plant, lastTenMinutes, 1).rows) << "more rows than the cap";
  for (const auto& row : summary) {
    EXPECT_EQ(row[2], "") << "still on: no off date";
    EXPECT_EQ(row[6], "ON");
  }
}

TEST_F(QueriesTest, TrendQueryGivesCountSamplesEndingAtTheEndInstant) {
  const auto rows = All(R"(ZNAPITrend("04:00:24","04/05/2005", 2.5 , 5, 0, WAVE_TR))",
                        {"Date", "Time", "WAVE_TR"});
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0][1], "04:00:14.000");
  EXPECT_EQ(rows[1][1], "04:00:16.500");
  EXPECT_EQ(rows[4][0], "04/05/2005");
  EXPECT_EQ(rows[4][1], "04:00:24.000");
  const auto end = *ParseLocalDateTime("04/05/2005", "04:00:24");
  EXPECT_EQ(rows[4][2], FormatSample(static_cast<double>((end / 1000) % 100)));
  const auto whole =
      OpenQuery(plant, R"(ZNAPITrend("04:00:24","04/05/2005",2, 300, 0, WAVE_TR))", 1000).rows;
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->Total(), 300u);
  const auto last = RowsOf(*whole, 299, 10);  // asks past the end
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0][1], "04:00:24") << "whole seconds without a fraction";
}

TEST(Queries, NamesWithLettersBeyondAsciiAnswerAsProjectFilesGiveThem) {
  simtest::TempDir dir;
  Project project = simtest::SmallProject();
  project.trends.push_back({"Trénd", "WAVE", 10, "ramp"});
  project.trends.push_back({"Насос_2", "LEVEL", 10, "constant"});
  project.Finish();
  Plant plant(std::move(project), dir.path, PlantSettings{});
  for (const std::string name : {"Trénd", "Насос_2"}) {
    const std::string text = R"(ZNAPITrend("04:00:24","04/05/2005",2, 3, 0, )" + name + ")";
    const auto outcome = OpenQuery(plant, text, 1000);
    ASSERT_TRUE(outcome.rows) << text << ": " << outcome.error;
    EXPECT_EQ(outcome.rows->Columns(), (Columns{"Date", "Time", name}));
    EXPECT_EQ(outcome.rows->Total(), 3u);
  }
  EXPECT_FALSE(OpenQuery(plant, R"(ZNAPITrend("04:00:24","04/05/2005",2, 3, 0, Trend))", 1000).rows)
      << "another name is not found";
}

TEST_F(QueriesTest, BadQueryTextsFailWithAReason) {
  const char* bad[] = {
      "NoSuchTable",
      " Pumps",  // a device name with a blank before it is another name
      "ZNAPIAlarm(0, 4)",
      "ZNAPIAlarm(0, 9, 0)",
      "ZNAPIAlarm(0, \"4\", 0)",
      "ZNAPIUnknown(1)",
      "ZNAPIAlarmSummary(\"31/02/2024\",\"00:00:00\",\"01/03/2024\",\"00:00:00\", 0, -1)",
      "ZNAPIAlarmSummary(\"01/03/2024\",\"00:00:00\",\"01/03/2024\", 0, -1)",
      "ZNAPITrend(\"04:00:24\",\"04/05/2005\",-2, 300, 0, WAVE_TR)",
      "ZNAPITrend(\"04:00:24\",\"04/05/2005\",0.0001, 300, 0, WAVE_TR)",  // under a millisecond
      "ZNAPITrend(\"04:00:24\",\"04/05/2005\",2, -300, 0, WAVE_TR)",
      "ZNAPITrend(\"04:00:24\",\"04/05/2005\",2, 1001, 0, WAVE_TR)",  // over the row cap
      "ZNAPITrend(\"04:00:24\",\"04/05/2005\",2, 300, 0, NOTREND)",
      "ZNAPITrend(\"04:00:24\",\"04/05/2005\",2, 300, 0)",
      "ZNAPITrend(\"04/05/2005\",\"04:00:24\",2, 300, 0, WAVE_TR)",     // date and time swapped
      "ZNAPITrend(\"00:00:10\",\"01/01/1970\",3600, 100, 0, WAVE_TR)",  // before 1970
  };
  for (const char* text : bad) {
    const auto outcome = OpenQuery(plant, text, 1000);
    EXPECT_FALSE(outcome.rows) << text;
    EXPECT_FALSE(outcome.error.empty()) << text;
  }
}

}  // namespace
}  // namespace znsim
