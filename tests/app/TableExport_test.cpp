// Tables for spreadsheets: CSV and tab-separated text read back by a standard CSV reader, the
// result pane split into its columns, and saving whole or not at all.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "DelimitedText.h"
#include "PaneTable.h"
#include "PythonCsv.h"
#include "QStringPrinting.h"
#include "ReadOnlyFolder.h"
#include "SaveWhole.h"

namespace {

using testing_support::ReadWithPython;

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

// The pane as a query writes it: an optional header line, then rows built value by value.
struct WrittenPane {
  logic::PaneTable table;

  void Row(const std::vector<std::pair<QString, const char*>>& values) {
    table.BeginRow();
    for (const auto& [value, separator] : values) table.AddValue(value, QLatin1String(separator));
  }
  QString Table() const {
    logic::DelimitedText out = logic::DelimitedText::Tsv();
    table.AddTable(out);
    return out.text();
  }
  QString Rows(logic::LineRange lines) const {
    logic::DelimitedText out = logic::DelimitedText::Tsv();
    table.AddRows(lines, out);
    return out.text();
  }
  QStringList Lines() const {
    QStringList lines;
    for (qsizetype line = 0; line < table.LineCount(); ++line)
      lines << table.LineText(line).toString();
    return lines;
  }
};

TEST(PaneTable, EachValueIsOneCellWhateverItHolds) {
  WrittenPane alarms;
  alarms.table.Reset({"Date", "Time", "Tag", "Name"});
  alarms.Row({{"04/05/2005", "   "}, {"", "   "}, {"T1", "\t"}, {"  LOW  ", "\r\n"}});
  alarms.Row({{"d2", "   "}, {"t  2", "   "}, {"tab\there", "\t"}, {"two\r\nlines", "\r\n"}});
  EXPECT_EQ(alarms.Table(),
            "Date\tTime\tTag\tName\n04/05/2005\t\tT1\t  LOW  \n"
            "d2\tt  2\t\"tab\there\"\t\"two\r\nlines\"\n");
  EXPECT_EQ(alarms.table.text(),
            "04/05/2005      T1\t  LOW  \r\nd2   t  2   tab\there\ttwo\r\nlines\r\n");
  EXPECT_EQ(alarms.Lines(), (QStringList{"04/05/2005      T1\t  LOW  \r",
                                         "d2   t  2   tab\there\ttwo\r", "lines\r", ""}));

  WrittenPane whole;
  whole.table.SetWhole("Version()", u"first\r\nsecond");
  EXPECT_TRUE(whole.table.whole());
  EXPECT_EQ(whole.Table(), "Version()\n\"first\r\nsecond\"\n");
  whole.table.Reset();
  EXPECT_FALSE(whole.table.whole());
  EXPECT_EQ(whole.Table(), "") << "nothing is left of what the pane held";
  EXPECT_EQ(whole.Lines(), QStringList{""});
}

TEST(PaneTable, RowsOfALineRangeTakeTheHeaderOnlyWhenItsLineIsIn) {
  WrittenPane trend;
  trend.table.Reset({"Date", "Time", "T"});
  trend.table.Append(u"Date    \tTime        \tT\r\n");
  trend.Row({{"d1", "\t"}, {"t1", "\t"}, {"1\n1", "\r\n"}});  // over lines 1 and 2
  trend.Row({{"d2", "\t"}, {"t2", "\t"}, {"2", "\r\n"}});
  trend.Row({{"d3", "\t"}, {"t3", "\t"}, {"3", "\r\n"}});
  const std::pair<logic::LineRange, QString> cases[] = {
      {{0, 0}, "Date\tTime\tT\n"},
      {{0, 1}, "Date\tTime\tT\nd1\tt1\t\"1\n1\"\n"},
      {{2, 3}, "d1\tt1\t\"1\n1\"\nd2\tt2\t2\n"},
      {{4, 9}, "d3\tt3\t3\n"},
      {{5, 9}, ""},
  };
  for (const auto& [lines, rows] : cases)
    EXPECT_EQ(trend.Rows(lines), rows) << lines.first << ".." << lines.last;
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

  // A read-only folder gives the reason and keeps the old file.
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
