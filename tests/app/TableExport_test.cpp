// Tables for spreadsheets: CSV and tab-separated text read back by a standard CSV reader, the
// result pane split into its columns, and saving whole or not at all.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "DelimitedText.h"
#include "PaneTable.h"
#include "PythonCsv.h"
#include "QueryTexts.h"
#include "ReadOnlyFolder.h"
#include "SaveWhole.h"

namespace {

using testing_support::ReadWithPython;

inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

TEST(DelimitedText, FieldsRoundTripThroughAStandardCsvReader) {
  const std::vector<QStringList> records = {
      {"Date", "Time", "Comment"},
      {"a,b", "say \"hi\"", "tab\there"},
      {"line\r\nbreak", "ünïcødé €", "lf\nonly"},
      {"", " padded ", "-12.5"},
  };
  QTemporaryDir dir;
  for (const auto& [format, dialect] : {std::pair{logic::DelimitedText::Csv(), "excel"},
                                        {logic::DelimitedText::Tsv(), "excel-tab"}}) {
    SCOPED_TRACE(dialect);
    logic::DelimitedText out = format;
    for (const QStringList& record : records) out.Add(record);
    const QString path = dir.filePath(dialect);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(out.FileBytes());
    file.close();
    EXPECT_EQ(ReadWithPython(path, dialect), records);
  }
}

TEST(DelimitedText, KeepsAServerTextFromRunningAsAFormula) {
  logic::DelimitedText csv = logic::DelimitedText::Csv();
  csv.Add({"=SUM(A1)", "-0.5", "\r=1+1"});
  EXPECT_EQ(csv.text(), "'=SUM(A1),-0.5,\"'\r=1+1\"\r\n") << "guarded, then quoted";
  EXPECT_TRUE(csv.FileBytes().startsWith("\xEF\xBB\xBF")) << "spreadsheets need the mark for UTF-8";
}

TEST(PaneTable, SplitsEachRequestKindsRowsIntoItsColumns) {
  struct Case {
    const char* kind;
    QString pane;
    logic::PaneLayout layout;
    QString table;  // as tab-separated text
  };
  const Case cases[] = {
      {"active alarms, an untrimmed name",
       "04/05/2005   04:00:24   T1\t  LOW  \tLOW  \r\n04/05/2005   04:00:25   \tPump\tON\r\n",
       logic::PaneLayout::Rows(logic::kActiveAlarmRow),
       "Date\tTime\tTag\tName\tState\n04/05/2005\t04:00:24\tT1\t  LOW  \tLOW  \n"
       "04/05/2005\t04:00:25\t\tPump\tON\n"},
      {"summary of an alarm still on, then one whose time ends in a blank",
       "04/05/2005   03:55:00         T1\tHigh\tON\tc\r\n"
       "04/05/2005   03:55:01          T2\tLow\tON\t\r\n",
       logic::PaneLayout::Rows(logic::kAlarmSummaryRow),
       "OnDate\tOnTime\tOffDate\tOffTime\tTag\tName\tSumState\tComment\n"
       "04/05/2005\t03:55:00\t\t\tT1\tHigh\tON\tc\n04/05/2005\t03:55:01 \t\t\tT2\tLow\tON\t\n"},
      {"trend, named by its header line; the value keeps its blanks",
       "Date    \tTime        \tTREND1\r\n4/05/2005   \t04:00:24\t60.0  "
       "\r\n4/05/2005\t04:00:26\t\r\n",
       logic::PaneLayout::TrendRows(),
       "Date\tTime\tTREND1\n4/05/2005   \t04:00:24\t60.0  \n4/05/2005\t04:00:26\t\n"},
      {"device records, each value ended by a tab", "1\tPump  \t1450\t\r\n2\tFan\t\r\n\r\n",
       logic::PaneLayout::DeviceRows({"Id", "Name", "Speed"}),
       "Id\tName\tSpeed\n1\tPump  \t1450\n2\tFan\n\n"},
      {"a function's answer over two lines", "first\r\nsecond",
       logic::PaneLayout::Whole("Version()"), "Version()\n\"first\r\nsecond\"\n"},
      {"nothing written yet", "", logic::PaneLayout(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    logic::DelimitedText out = logic::DelimitedText::Tsv();
    logic::AddPaneTable(c.pane, c.layout, out);
    EXPECT_EQ(out.text(), c.table);
  }
}

TEST(PaneTable, RowsOfALineRangeTakeTheHeaderOnlyWhenItsLineIsIn) {
  const QString pane = "Date    \tTime        \tT\r\nd1\tt1\t1\r\nd2\tt2\t2\r\nd3\tt3\t3\r\n";
  const std::pair<logic::LineRange, QString> cases[] = {
      {{0, 1}, "Date\tTime\tT\nd1\tt1\t1\n"},
      {{2, 3}, "d2\tt2\t2\nd3\tt3\t3\n"},
      {{3, 9}, "d3\tt3\t3\n"},
  };
  for (const auto& [lines, rows] : cases) {
    logic::DelimitedText out = logic::DelimitedText::Tsv();
    logic::AddPaneRows(pane, logic::PaneLayout::TrendRows(), lines, out);
    EXPECT_EQ(out.text(), rows) << lines.first << ".." << lines.last;
  }
}

TEST(SaveWhole, ReplacesTheFileOnlyWhenTheWholeTextIsWritten) {
  QTemporaryDir dir;
  const QString path = dir.filePath("out.csv");
  EXPECT_EQ(logic::SaveWhole(path, "first"), std::nullopt);
  EXPECT_EQ(logic::SaveWhole(path, "second"), std::nullopt);
  EXPECT_EQ(ReadAll(path), "second");

  QDir(dir.path()).mkdir("taken.csv");  // a folder where the file would go
  EXPECT_TRUE(logic::SaveWhole(dir.filePath("taken.csv"), "x").has_value());
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.csv"})
      << "no temporary file is left behind";
}

TEST(SaveWhole, AReadOnlyFolderGivesTheReasonAndKeepsTheOldFile) {
  testing_support::ReadOnlyFolder folder({{"out.csv", "old"}});
  std::optional<QString> failure;
  {
    testing_support::ReadOnlyFolder::AsUser user;
    failure = logic::SaveWhole(folder.filePath("out.csv"), "new");
  }
  ASSERT_TRUE(failure.has_value());
  EXPECT_TRUE(failure->contains("ermission")) << failure->toStdString();
  EXPECT_EQ(ReadAll(folder.filePath("out.csv")), "old");
  EXPECT_EQ(folder.entries(), QStringList{"out.csv"});
}

}  // namespace
