// The alarm, summary, trend and device queries: the rows they lay out from the library's
// buffers, the count label, cancel and close, and the find handle closed on every path.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ConnectionTable.h"
#include "FakeHost.h"
#include "FakeZnApi.h"
#include "Widgets.h"
#include "frmTestConnection.h"

// Readable failure messages for texts.
static void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace {

const std::string kSummaryQuery =
    "ZNAPIAlarmSummary(\"04/05/2005\",\"03:50:24\",\"04/05/2005\",\"04:00:24\", 0, -1)";
const std::string kTrendQuery = "ZNAPITrend(\"04:00:24\",\"04/05/2005\",2, 300, 0, TREND1)";
const QString kTrendHeader = "Date    \tTime        \tTREND1\r\n";

// Bytes the library writes, ending in the NUL it adds.
std::string Nul(const std::string& s) {
  return s + std::string(1, '\0');
}

struct Queries : ::testing::Test {
  fake::FakeZnApi api;
  server::basZNAPI module{api};
  fake::FakeHost host;
  frmTestConnection w{module, host};
  fake::Server& server = api.server("");

  Queries() {
    w.txtEndDateTime->setText("04/05/2005 04:00:24");
    w.txtDuration->setText("10");
  }
  void request(int kind) {
    w.optRead[kind]->click();
    w.cmdReadAlarmTrend->click();
  }
  QString pane() const { return w.txtRequestedData->text(); }
  std::vector<QString> boxTexts() const {
    std::vector<QString> out;
    for (const auto& b : host.boxes) out.push_back(b.text);
    return out;
  }
  std::vector<std::string> findTables() const {
    std::vector<std::string> out;
    for (const auto& c : api.callsOf("znFindFirst")) out.push_back(c.args[1]);
    return out;
  }
  static fake::Record Sample(int i) {
    const std::string s = std::to_string(i);
    return {{"Date", "04/05/2005"}, {"Time", "04:00:0" + s}, {"TREND1", s + ".0"}};
  }
};

TEST_F(Queries, ActiveAlarmRowsFollowTheirLayoutAndValueRules) {
  server.tables["ZNAPIAlarm(0, 0, 0)"].records = {
      {{"Date", "04/05/2005"},
       {"Time", "04:00:24"},
       {"Tag", "T1"},
       {"Name", Nul("  LOW  ")},
       {"State", Nul("  LOW  ")}},
      {{"Date", "04/05/2005"}, {"Time", "04:00:25"}, {"Name", "Pump"}, {"State", "ON"}},
      {{"Date", " 4/05/2005"},
       {"Time", "04:00:26"},
       {"Tag", std::string(32, 'X')},
       {"Name", std::string(29, 'N') + "   "},
       {"State", "OFF"}},
  };
  w.lblRequestCount->setText("Count: 99");
  request(2);
  EXPECT_EQ(pane(),
            "04/05/2005   04:00:24   T1\t  LOW  \tLOW  \r\n"
            "04/05/2005   04:00:25   \tPump\tON\r\n" +
                QString("4/05/2005   04:00:26   ") + QString(32, 'X') + "\t" + QString(29, 'N') +
                "   \tOFF\r\n");
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 3");
  EXPECT_TRUE(api.openSearches().empty());
  for (const auto& c : api.callsOf("znGetProperty")) {
    EXPECT_EQ(c.args[2], "32");
    EXPECT_EQ(c.args[3], "129");
  }
  const auto first = api.callsOf("znFindFirst").at(0);
  EXPECT_EQ(first.args[2], "*");
  EXPECT_EQ(first.args[3], "0");
}

TEST_F(Queries, SummaryAsksForThePeriodAndWritesItsRows) {
  server.tables[kSummaryQuery].records = {
      {{"OnDate", "04/05/2005"},
       {"OnTime", "03:55:00"},
       {"OffDate", "04/05/2005"},
       {"OffTime", "03:56:00"},
       {"Tag", "T1"},
       {"Name", Nul("  High level  ")},
       {"SumState", "ACK"},
       {"Comment", "c"}},
  };
  request(0);
  EXPECT_EQ(findTables(), std::vector<std::string>{kSummaryQuery});
  EXPECT_EQ(pane(), "04/05/2005   03:55:00   04/05/2005   03:56:00   T1\tHigh level  \tACK\tc\r\n");
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 1");
  EXPECT_TRUE(api.openSearches().empty());
}

TEST_F(Queries, NothingFoundKeepsThePaneAndTheCountOfTheLastQuery) {
  server.tables["ZNAPIAlarm(0, 0, 0)"].records = {{{"Tag", "A"}}, {{"Tag", "B"}}};
  request(2);
  ASSERT_EQ(w.lblRequestCount->text(), "Count: 2");
  const QString rows = pane();
  request(0);  // no summary table
  EXPECT_EQ(boxTexts(), std::vector<QString>{"Failed find any alarms!"});
  EXPECT_EQ(host.boxes[0].style, ui::kStyleInformation);
  EXPECT_FALSE(host.boxes[0].title.has_value());
  EXPECT_EQ(pane(), rows);
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 2");
  w.txtOthers->setText("NoSuchTrend");
  w.cboTagNames[2]->setEditText("TREND1");
  request(1);
  EXPECT_EQ(boxTexts().back(), "Failed find any trend data!");
  EXPECT_EQ(pane(), rows);
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 2");
}

TEST_F(Queries, TrendWritesTheHeaderAndOneRowPerSample) {
  server.tables[kTrendQuery].records = {
      {{"Date", "4/05/2005   "}, {"Time", Nul("04:00:24.500")}, {"TREND1", Nul("60.000000      ")}},
      {{"Date", "4/05/2005"}, {"Time", "04:00:26"}},  // no value field
  };
  w.txtRequestedData->setText("old");
  w.cboTagNames[2]->setEditText("TREND1");
  request(1);
  EXPECT_EQ(findTables(), std::vector<std::string>{kTrendQuery});
  EXPECT_EQ(pane(), kTrendHeader +
                        "4/05/2005   \t04:00:24\t60.000000      \r\n"
                        "4/05/2005\t04:00:26\t\r\n");
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 2");
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(Queries, TrendSampleCountHalvesToEvenAndThePeriodGoesAsTyped) {
  struct Case {
    const char* duration;
    int unit;
    const char* period;
    std::string query;
  };
  const Case cases[] = {
      {"10", 2, "7", "ZNAPITrend(\"04:00:24\",\"04/05/2005\",7, 86, 0, TREND1)"},
      {"5", 3, "2", "ZNAPITrend(\"04:00:24\",\"04/05/2005\",2, 2, 0, TREND1)"},
      {"15", 3, "2", "ZNAPITrend(\"04:00:24\",\"04/05/2005\",2, 8, 0, TREND1)"},
      {"10", 2, "2.5", "ZNAPITrend(\"04:00:24\",\"04/05/2005\",2.5, 300, 0, TREND1)"},
      {"10", 2, " 2 ", "ZNAPITrend(\"04:00:24\",\"04/05/2005\", 2 , 300, 0, TREND1)"},
      {"-10", 2, "2", "ZNAPITrend(\"04:00:24\",\"04/05/2005\",2, -300, 0, TREND1)"},
  };
  w.cboTagNames[2]->setEditText("TREND1");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    api.calls.clear();
    w.txtDuration->setText(c.duration);
    w.cboUnits->setCurrentIndex(c.unit);
    w.txtSamplePeriod->setText(c.period);
    request(1);
    EXPECT_EQ(findTables(), std::vector<std::string>{c.query});
  }
}

TEST_F(Queries, TrendWithoutANameSaysSoAndLeavesEverythingAlone) {
  w.txtRequestedData->setText("old");
  w.lblStatus->setText("Status: before");
  request(1);
  EXPECT_EQ(boxTexts(), std::vector<QString>{"No trend is selected!"});
  EXPECT_EQ(host.boxes[0].style, ui::kStyleInformation);
  EXPECT_FALSE(host.boxes[0].title.has_value());
  EXPECT_EQ(api.countOf("znFindFirst"), 0);
  EXPECT_EQ(pane(), "old");
  EXPECT_EQ(w.lblStatus->text(), "Status: before");
}

TEST_F(Queries, CancelAfterTheThirdRowStopsTheTrendAndClosesTheFind) {
  auto& records = server.tables[kTrendQuery].records;
  for (int i = 1; i <= 6; ++i) records.push_back(Sample(i));
  w.cboTagNames[2]->setEditText("TREND1");
  host.onDoEvents = [&] {
    if (host.doEventsCount == 3) w.cmdCancelRead->click();
  };
  request(1);
  EXPECT_EQ(pane(), kTrendHeader +
                        "04/05/2005\t04:00:01\t1.0\r\n"
                        "04/05/2005\t04:00:02\t2.0\r\n"
                        "04/05/2005\t04:00:03\t3.0\r\n");
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 3");
  EXPECT_EQ(api.countOf("znFindNext"), 2) << "no record is asked for after the cancel";
  EXPECT_EQ(api.countOf("znFindClose"), 1);
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_FALSE(w.cmdCancelRead->isEnabled());
}

TEST_F(Queries, TrendReadsTheNameBoxAfreshForEveryRow) {
  auto& records = server.tables[kTrendQuery].records;
  records = {Sample(1), Sample(2)};
  records[1].push_back({"OTHER", "7.5"});
  w.cboTagNames[2]->setEditText("TREND1");
  host.onDoEvents = [&] { w.cboTagNames[2]->setEditText("OTHER"); };
  request(1);
  EXPECT_EQ(pane(), kTrendHeader +
                        "04/05/2005\t04:00:01\t1.0\r\n"
                        "04/05/2005\t04:00:02\t7.5\r\n");
}

TEST_F(Queries, ClosingTheWindowEndsAQueryAfterTheCurrentRowThenCloses) {
  auto& records = server.tables["ZNAPIAlarm(0, 0, 0)"].records;
  for (int i = 0; i < 5; ++i) records.push_back({{"Tag", "T" + std::to_string(i)}});
  w.show();
  host.onDoEvents = [&] { w.close(); };
  request(2);
  EXPECT_EQ(pane().count("\r\n"), 1);
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_FALSE(w.isVisible()) << "the window closed once the request ended";
}

TEST_F(Queries, LibraryFailingMidQueryStillClosesTheFind) {
  auto& records = server.tables["ZNAPIAlarm(0, 0, 0)"].records;
  records = {{{"Tag", "A"}}, {{"Tag", "B"}}, {{"Tag", "C"}}};
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
  server.tables[" PLC1"].records = {
      {{"Id", "1"}, {"Name", Nul("  Pump  ")}, {"Speed", "1450"}},
      {{"Id", "2"}, {"Name", "Fan"}, {"Speed", "900"}, {"Extra", "x"}},
  };
  w.lblRequestCount->setText("Count: 7");
  w.txtRequestedData->setText("old");
  w.txtOthers->setText(" PLC1");
  request(3);
  EXPECT_EQ(findTables(), std::vector<std::string>{" PLC1"});
  EXPECT_EQ(pane(), "1\tPump  \t1450\t\r\n2\tFan\t900\t\r\n")
      << "the first record's count serves all";
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 7");
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_EQ(api.countOf("znGetProperty"), 1 + 2 * 3 * 2) << "no lookup of a value as a name";
}

TEST_F(Queries, DeviceValueThatFailsLeavesNoColumn) {
  // A value naming another field would add a column if values were looked up as names.
  server.tables["PLC1"].records = {{{"A", "C"}, {"B", "2"}, {"C", "3"}}};
  api.onCall = [&](const fake::Call& c) {
    if (c.name == "znGetProperty" && c.args[1] == "B")
      server.tables["PLC1"].records[0][1].name = "gone";
  };
  w.txtOthers->setText("PLC1");
  request(3);
  EXPECT_EQ(pane(), "C\t3\t\r\n");
}

TEST_F(Queries, DeviceFieldCountDecidesTheRows) {
  struct Case {
    std::string count;
    QString pane;
    std::vector<QString> boxes;
  };
  const Case cases[] = {
      {"0", "\r\n\r\n", {}},
      {"", "", {"Type mismatch: the field count '' is not a number."}},
      {"two", "", {"Type mismatch: the field count 'two' is not a number."}},
      {"32768", "", {"Overflow: the field count 32768 is more than 32767."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    host.boxes.clear();
    fake::Record r{{"A", "1"}};
    if (!c.count.empty())
      r.push_back({"object.fields.Count", c.count});
    else
      r.push_back({"object.fields.Count", std::string(1, '\0')});
    server.tables["PLC1"].records = {r, r};
    w.txtRequestedData->setText("old");
    w.txtOthers->setText("PLC1");
    request(3);
    EXPECT_EQ(pane(), c.pane);
    EXPECT_EQ(boxTexts(), c.boxes);
    for (const auto& b : host.boxes) {
      EXPECT_EQ(b.style, ui::kStyleNone);
      EXPECT_FALSE(b.title.has_value());
    }
    EXPECT_TRUE(api.openSearches().empty());
  }
}

TEST_F(Queries, UnknownDeviceIsNamedInTheBox) {
  w.txtRequestedData->setText("old");
  w.txtOthers->setText("PLC9");
  request(3);
  EXPECT_EQ(boxTexts(), std::vector<QString>{"Failed to load device 'PLC9'!"});
  EXPECT_EQ(host.boxes[0].style, ui::kStyleInformation);
  EXPECT_EQ(pane(), "old");
}

}  // namespace
