#include <gtest/gtest.h>

#include "Queries.h"
#include "SmallProject.h"

namespace znsim {
namespace {

class QueriesTest : public ::testing::Test {
 protected:
  QueriesTest() : plant(simtest::SmallProject(), dir.path(), PlantSettings{}) {}

  std::vector<ResultRow> All(const ResultSet& rows) {
    std::vector<ResultRow> out;
    rows.Rows(0, static_cast<std::uint32_t>(rows.Total()), out);
    return out;
  }
  std::shared_ptr<const ResultSet> Open(const std::string& text) {
    auto outcome = OpenQuery(plant, text, 1000);
    EXPECT_TRUE(outcome.rows) << text << ": " << outcome.error;
    return outcome.rows;
  }

  simtest::TempDir dir;
  Plant plant;
};

TEST_F(QueriesTest, PlainTablesListTagsTrendsAndDeviceRecords) {
  auto tags = Open("Tag");
  ASSERT_TRUE(tags);
  EXPECT_EQ(tags->Columns(), (std::vector<std::string>{"Tag", "Type", "Units", "Comment"}));
  const auto rows = All(*tags);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[2][0], "PUMP");
  EXPECT_EQ(rows[2][1], "Digital");

  auto trends = Open("_Trend");
  ASSERT_TRUE(trends);
  EXPECT_EQ(trends->Columns().at(0), "Name");
  EXPECT_EQ(All(*trends).at(0).at(0), "WAVE_TR");

  auto pumps = Open("Pumps");
  ASSERT_TRUE(pumps);
  EXPECT_EQ(pumps->Columns(), (std::vector<std::string>{"Name", "Duty"}));
  EXPECT_EQ(All(*pumps), (std::vector<ResultRow>{{"P1", "Lead"}, {"P2", "Lag"}}));
}

TEST_F(QueriesTest, AlarmQueriesListConfiguredAndActiveAlarms) {
  auto configured = Open("ZNAPIAlarm(0, 4, 0)");
  ASSERT_TRUE(configured);
  EXPECT_EQ(configured->Columns().at(0), "Tag");
  EXPECT_EQ(configured->Total(), 3u);

  plant.Tick(NowMillis());
  auto active = Open("ZNAPIAlarm(0, 0, 0)");
  ASSERT_TRUE(active);
  EXPECT_EQ(active->Columns(),
            (std::vector<std::string>{"Date", "Time", "Tag", "Name", "State", "Comment"}));
  const auto rows = All(*active);
  ASSERT_EQ(rows.size(), 2u) << "LEVEL 5 is above 4.5 and PUMP is on; 5 is within 2 of 4";
  EXPECT_EQ(rows[0][2], "LEVEL");
  EXPECT_EQ(rows[0][3], "Level high");
  EXPECT_EQ(rows[1][2], "PUMP");
  EXPECT_EQ(rows[0][0].size(), 10u);
  EXPECT_EQ(rows[0][1].size(), 8u);
}

TEST_F(QueriesTest, SummaryOfAFreshPlantHoldsTheSeededOccurrences) {
  const Millis now = NowMillis();
  const std::string query = "ZNAPIAlarmSummary(\"" + FormatDate(now - 600'000) + "\",\"" +
                            FormatTime(now - 600'000) + "\",\"" + FormatDate(now) + "\",\"" +
                            FormatTime(now) + "\", 0, -1)";
  auto summary = Open(query);
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->Columns(), (std::vector<std::string>{"OnDate", "OnTime", "OffDate", "OffTime",
                                                          "Tag", "Name", "SumState", "Comment"}));
  const auto rows = All(*summary);
  ASSERT_EQ(rows.size(), 2u);
  for (const auto& row : rows) {
    EXPECT_EQ(row[2], "") << "still on: no off date";
    EXPECT_EQ(row[6], "ON");
  }
}

TEST_F(QueriesTest, TrendQueryGivesCountSamplesEndingAtTheEndInstant) {
  auto trend = Open(R"(ZNAPITrend("04:00:24","04/05/2005", 2.5 , 5, 0, WAVE_TR))");
  ASSERT_TRUE(trend);
  EXPECT_EQ(trend->Columns(), (std::vector<std::string>{"Date", "Time", "WAVE_TR"}));
  const auto rows = All(*trend);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0][1], "04:00:14.000");
  EXPECT_EQ(rows[1][1], "04:00:16.500");
  EXPECT_EQ(rows[4][0], "04/05/2005");
  EXPECT_EQ(rows[4][1], "04:00:24.000");
  const auto end = *ParseLocalDateTime("04/05/2005", "04:00:24");
  EXPECT_EQ(rows[4][2], FormatSample(static_cast<double>((end / 1000) % 100)));

  auto whole = Open(R"(ZNAPITrend("04:00:24","04/05/2005",2, 300, 0, WAVE_TR))");
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->Total(), 300u);
  std::vector<ResultRow> last;
  whole->Rows(299, 10, last);
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0][1], "04:00:24");

  auto empty = Open(R"(ZNAPITrend("04:00:24","04/05/2005",2, 0, 0, WAVE_TR))");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->Total(), 0u);
}

TEST_F(QueriesTest, BadQueryTextsFailWithAReason) {
  const char* bad[] = {
      "NoSuchTable",
      " Pumps",  // a device name with a blank before it is another name
      "ZNAPIAlarm(0, 4)",
      "ZNAPIAlarm(0, 9, 0)",
      "ZNAPIAlarm(0, \"4\", 0)",
      "ZNAPIUnknown(1)",
      "ZNAPIAlarm(0, 4, 0",
      "ZNAPIAlarmSummary(\"31/02/2024\",\"00:00:00\",\"01/03/2024\",\"00:00:00\", 0, -1)",
      "ZNAPIAlarmSummary(\"01/03/2024\",\"25:00:00\",\"01/03/2024\",\"00:00:00\", 0, -1)",
      "ZNAPIAlarmSummary(\"01/03/2024\",\"00:00:00\",\"01/03/2024\", 0, -1)",
      "ZNAPITrend(\"04:00:24\",\"04/05/2005\",-2, 300, 0, WAVE_TR)",
      "ZNAPITrend(\"04:00:24\",\"04/05/2005\",0, 300, 0, WAVE_TR)",
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
