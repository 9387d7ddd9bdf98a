// The alarm, summary, trend and device queries: the rows they lay out from the library's
// buffers, the count label, cancel and close, and the find handle closed on every path.
#include "MainWindowFixture.h"
#include "PaneView.h"

namespace app_test {
namespace {

const std::string kAlarms = "ZNAPIAlarm(0, 0, 0)";
// The period text goes as typed; 15 s at period number 2 (halves to even) is 7.5, sent as 8.
const std::string kTrendQuery = "ZNAPITrend(\"04:00:24\",\"04/05/2005\", 2.5 , 8, 0, TREND1)";
const QString kTrendHeader = "Date    \tTime        \tTREND1\r\n";

// Bytes the library writes, ending in the NUL it adds.
std::string Nul(const std::string& s) {
  return s + std::string(1, '\0');
}

struct Queries : MainWindowTest {
  Queries() { EnterTrendRequest("04/05/2005 04:00:24", "15", " 2.5 ", "TREND1", "Seconds"); }
};

TEST_F(Queries, ActiveAlarmRowsFollowTheirLayoutAndValueRules) {
  const auto alarm = [](std::string date, std::string time, std::string tag, std::string name,
                        std::string state) -> fake::Record {
    return {{"Date", date}, {"Time", time}, {"Tag", tag}, {"Name", name}, {"State", state}};
  };
  local.tables[kAlarms].records = {
      alarm("04/05/2005", "04:00:24", "T1", Nul("  LOW  "), Nul("  LOW  ")),
      alarm("04/05/2005", "04:00:25", "", "Pump", "ON"),
      alarm(" 4/05/2005", "04:00:26", std::string(32, 'X'), std::string(29, 'N') + "   ", "OFF")};
  w.lblRequestCount->setText("Count: 99");
  request(2);
  EXPECT_EQ(pane(),
            "04/05/2005   04:00:24   T1\t  LOW  \tLOW  \r\n"
            "04/05/2005   04:00:25   \tPump\tON\r\n"
            "4/05/2005   04:00:26   " +
                QString(32, 'X') + "\t" + QString(29, 'N') + "   \tOFF\r\n");
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 3");
  EXPECT_TRUE(api.openSearches().empty());
}

TEST_F(Queries, SummaryAsksForThePeriodAndWritesItsRows) {
  const std::string query =
      "ZNAPIAlarmSummary(\"04/05/2005\",\"04:00:09\",\"04/05/2005\",\"04:00:24\", 0, -1)";
  local.tables[query].records = {{{"OnDate", "04/05/2005"},
                                  {"OnTime", "03:55:00"},
                                  {"OffDate", "04/05/2005"},
                                  {"OffTime", "03:56:00"},
                                  {"Tag", "T1"},
                                  {"Name", Nul("  High level  ")},
                                  {"SumState", "ACK"},
                                  {"Comment", "c"}}};
  request(0);
  EXPECT_EQ(api.argsOf("znFindFirst", 1), Strings{query});
  EXPECT_EQ(pane(), "04/05/2005   03:55:00   04/05/2005   03:56:00   T1\tHigh level  \tACK\tc\r\n");
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 1");
  EXPECT_TRUE(api.openSearches().empty());
}

TEST_F(Queries, NothingFoundKeepsThePaneAndTheCountOfTheLastQuery) {
  local.tables[kAlarms].records = {{{"Tag", "A"}}, {{"Tag", "B"}}};
  request(2);
  ASSERT_EQ(w.lblRequestCount->text(), "Count: 2");
  const QString rows = pane();
  request(0);  // no summary table
  request(1);  // nor trend data
  ReplaceText(w.cboTagNames[2], "");
  request(1);
  ReplaceText(w.txtOthers, "PLC9");
  request(3);
  EXPECT_EQ(host.shownBoxes(), (QStringList{"TestZnAPI|info|Failed find any alarms!",
                                            "TestZnAPI|info|Failed find any trend data!",
                                            "TestZnAPI|info|No trend is selected!",
                                            "TestZnAPI|info|Failed to load device 'PLC9'!"}));
  EXPECT_EQ(pane(), rows);
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 2");
}

TEST_F(Queries, TrendWritesTheHeaderAndOneRowPerSample) {
  local.tables[kTrendQuery].records = {
      {{"Date", "4/05/2005   "}, {"Time", Nul("04:00:24.500")}, {"TREND1", Nul("60.000000      ")}},
      {{"Date", "4/05/2005"}, {"Time", "04:00:26"}},  // no value field
  };
  setPane(u"old");
  request(1);
  EXPECT_EQ(api.argsOf("znFindFirst", 1), Strings{kTrendQuery});
  EXPECT_EQ(pane(), kTrendHeader +
                        "4/05/2005   \t04:00:24\t60.000000      \r\n"
                        "4/05/2005\t04:00:26\t\r\n");
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 2");
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_TRUE(host.boxes.empty());
}

// Large requests one after another: each shows every row by the time its handler returns, and
// whenever events run (once a frame, a row taking a millisecond) the count label counts the
// rows the pane shows.
TEST_F(Queries, EveryRowIsOnScreenWhenARequestEndsAndTheCountMatchesThePaneMeanwhile) {
  constexpr int kRows = 100'000;
  local.tables[kTrendQuery].records.assign(
      kRows, {{"Date", "04/05/2005"}, {"Time", "04:00:24"}, {"TREND1", "60.000000"}});
  w.show();
  host.uptimeStep = std::chrono::milliseconds(1);
  const auto shownRows = [&] {  // less the header and the empty line after the last row
    return w.txtRequestedData->view()->LineCount() - 2;
  };
  int mismatches = 0;
  host.onDoEvents = [&] {
    if (w.lblRequestCount->text() != "Count: " + QString::number(shownRows())) ++mismatches;
  };
  for (int i = 0; i < 2; ++i) {
    request(1);
    EXPECT_EQ(shownRows(), kRows) << "request " << i;
  }
  EXPECT_GT(host.doEventsCount, 0);
  EXPECT_EQ(mismatches, 0);
}

TEST_F(Queries, CancelAfterTheThirdRowStopsTheTrendAndClosesTheFind) {
  local.tables[kTrendQuery].records.assign(6, {{"Time", "04:00:01"}, {"TREND1", "1.0"}});
  host.onDoEvents = [&] {
    if (host.doEventsCount == 3) w.cmdCancelRead->click();
  };
  request(1);
  EXPECT_EQ(pane().count("\r\n"), 1 + 3);
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 3");
  EXPECT_EQ(api.countOf("znFindNext"), 2) << "no record is asked for after the cancel";
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_FALSE(w.cmdCancelRead->isEnabled());
}

TEST_F(Queries, ClosingTheWindowEndsAQueryAfterTheCurrentRowThenCloses) {
  for (int i = 0; i < 5; ++i) local.tables[kAlarms].records.push_back({{"Tag", "T"}});
  w.show();
  host.onDoEvents = [&] { w.close(); };
  request(2);
  EXPECT_EQ(pane().count("\r\n"), 1);
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_FALSE(w.isVisible()) << "the window closed once the request ended";
}

TEST_F(Queries, LibraryFailingMidQueryStillClosesTheFind) {
  local.tables[kAlarms].records = {{{"Tag", "A"}}, {{"Tag", "B"}}, {{"Tag", "C"}}};
  int rows = 0;
  api.onCall = [&](const fake::Call& c) {
    if (c.name == "znFindNext" && ++rows == 2) throw std::runtime_error("connection reset");
  };
  request(2);
  EXPECT_EQ(pane().count("\r\n"), 2) << "rows written so far stay";
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_FALSE(w.cmdCancelRead->isEnabled());
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(Queries, DeviceRowsHoldEachValueFoundAndATab) {
  local.tables[" PLC1"].records = {
      {{"Id", "1"}, {"Name", Nul("  Pump  ")}, {"Speed", "1450"}},
      {{"Id", "2"}, {"Name", "Fan"}, {"Speed", "900"}, {"Extra", "x"}},
  };
  w.lblRequestCount->setText("Count: 7");
  ReplaceText(w.txtOthers, " PLC1");
  request(3);
  EXPECT_EQ(api.argsOf("znFindFirst", 1), Strings{" PLC1"});
  EXPECT_EQ(pane(), "1\tPump  \t1450\t\r\n2\tFan\t900\t\r\n")
      << "the first record's count serves all";
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 7");
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_EQ(api.countOf("znGetProperty"), 1 + 2 * 3 * 2) << "no lookup of a value as a name";
}

}  // namespace
}  // namespace app_test
