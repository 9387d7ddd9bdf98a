// The result pane as a table: Save... and Ctrl+S write it as CSV, whole or not at all, and
// Ctrl+C copies it as tab-separated text; a text box keeps its own copy.
#include <QApplication>
#include <QClipboard>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "MainWindowFixture.h"
#include "PaneView.h"
#include "PythonCsv.h"
#include "ReadOnlyFolder.h"

namespace app_test {
namespace {

const std::string kAlarms = "ZNAPIAlarm(0, 0, 0)";
const std::string kTrend = "ZNAPITrend(\"04:00:24\",\"04/05/2005\",1, 15, 0, TREND1)";

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

struct Results : MainWindowTest {
  Results() {
    local.tables[kAlarms].records = {{{"Date", "04/05/2005"},
                                      {"Time", "04:00:24"},
                                      {"Tag", "T1"},
                                      {"Name", "Pump, east"},
                                      {"State", "ON"}}};
    local.tables[kTrend].records = {
        {{"Date", "4/05/2005"}, {"Time", "04:00:22"}, {"TREND1", "1.5"}},
        {{"Date", "4/05/2005"}, {"Time", "04:00:23"}, {"TREND1", "2.5"}},
        {{"Date", "4/05/2005"}, {"Time", "04:00:24"}, {"TREND1", "3.5"}}};
    EnterTrendRequest("04/05/2005 04:00:24", "15", "1", "TREND1", "Seconds");
    w.show();
    QApplication::setActiveWindow(&w);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
  }
  QString clipboard() const { return QGuiApplication::clipboard()->text(); }
  QWidget* paneView() { return w.txtRequestedData->view()->viewport(); }
  /// Where the pane shows `column` of display line `line`.
  QPoint At(int line, int column) { return w.txtRequestedData->view()->PointAt({line, column}); }
  void SelectInPane(QPoint from, QPoint to) {
    QTest::mouseClick(paneView(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseClick(paneView(), Qt::LeftButton, Qt::ShiftModifier, to);
  }
};

// An alarm's date and time are one ISO 8601 timestamp with its offset, as zncheck writes them.
TEST_F(Results, CtrlSSavesThePaneAsCsvWithTheColumnsOfItsRequest) {
  request(2);
  QTemporaryDir dir;
  host.saveAnswers = {dir.filePath("alarms"), dir.filePath("again.csv")};
  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
  const QByteArray bytes = ReadAll(dir.filePath("alarms.csv"));
  EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
  const QString file = QString::fromUtf8(bytes.mid(3));
  EXPECT_TRUE(QRegularExpression("^time,tag,name,state\r\n"
                                 "2005-05-04T04:00:24[+-]\\d\\d:\\d\\d,T1,\"Pump, east\",ON\r\n$")
                  .match(file)
                  .hasMatch())
      << file.toStdString();
  w.cmdSaveResults->click();
  EXPECT_EQ(
      host.saveQuestions,
      (QStringList{"Save Requested Data|Active alarms 2024-03-15 1030.csv|CSV file (*.csv)",
                   "Save Requested Data|" + dir.filePath("Active alarms 2024-03-15 1030.csv") +
                       "|CSV file (*.csv)"}))
      << "the next save starts in the folder of the last";
  EXPECT_TRUE(host.boxes.empty());
}

// A trend's file: one ISO 8601 timestamp with its offset, the trend's unit in the header, and a
// name made of the trend and the end of its period.
TEST_F(Results, ATrendIsSavedWithIsoTimesAndItsUnitUnderItsOwnName) {
  local.tables["_Trend"].records = {{{"Name", "TREND1"}, {"Tag", "LIT101"}}};
  local.tables["Tag"].records = {{{"Tag", "LIT101"}, {"Units", "m"}}};
  local.tables[kTrend].records = {
      {{"Date", "04/05/2005"}, {"Time", "04:00:23"}, {"TREND1", "-2.5"}},
      {{"Date", "04/05/2005"}, {"Time", "04:00:24"}, {"TREND1", "3.5"}}};
  request(1);
  QTemporaryDir dir;
  host.saveAnswers = {dir.filePath("trend")};
  w.cmdSaveResults->click();
  EXPECT_EQ(host.saveQuestions,
            QStringList{"Save Requested Data|TREND1 2005-05-04 0400.csv|CSV file (*.csv)"});
  const QByteArray file = ReadAll(dir.filePath("trend.csv"));
  ASSERT_TRUE(file.startsWith("\xEF\xBB\xBF")) << file.toStdString();
  const QStringList lines = QString::fromUtf8(file.mid(3)).split("\r\n");
  ASSERT_EQ(lines.size(), 4) << lines.join('|').toStdString();
  EXPECT_EQ(lines[0], "time,TREND1 (m)");
  const QRegularExpression row("^2005-05-04T04:00:2([34])[+-]\\d\\d:\\d\\d,(.*)$");
  for (const auto& [line, value] : {std::pair{lines[1], "-2.5"}, std::pair{lines[2], "3.5"}}) {
    const auto match = row.match(line);
    ASSERT_TRUE(match.hasMatch()) << line.toStdString();
    EXPECT_EQ(match.captured(2), value);
    EXPECT_TRUE(QDateTime::fromString(line.section(',', 0, 0), Qt::ISODate).isValid());
  }
}

TEST_F(Results, AValueWithATabAndALineBreakStaysOneCell) {
  local.tables["Pumps"].records = {
      {{"Name", "P1"}, {"Note", "duty\tlead\r\nsince May"}, {"Speed", "1450"}},
      {{"Name", "P2"}, {"Note", "standby"}, {"Speed", "0"}}};
  w.optRead[3]->click();
  ReplaceText(w.txtOthers, "Pumps");
  w.cmdReadAlarmTrend->click();
  ASSERT_TRUE(host.boxes.empty());
  QTemporaryDir dir;
  host.saveAnswers = {dir.filePath("pumps.csv")};
  w.cmdSaveResults->click();
  EXPECT_EQ(testing_support::ReadWithPython(dir.filePath("pumps.csv"), "excel"),
            (std::vector<QStringList>{{"Name", "Note", "Speed"},
                                      {"P1", "duty\tlead\r\nsince May", "1450"},
                                      {"P2", "standby", "0"}}));

  // Copied rows are the rows the selection touches, a row over two lines among them.
  SelectInPane(At(1, 2), At(2, 3));
  QTest::keyClick(paneView(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard(), "P1\t\"duty\tlead\r\nsince May\"\t1450\nP2\tstandby\t0\n");
}

TEST_F(Results, SaveIntoAReadOnlyFolderShowsTheBoxAndLeavesNoPartialFile) {
  request(2);
  testing_support::ReadOnlyFolder folder({{"alarms.csv", "kept"}});
  host.saveAnswers = {folder.filePath("alarms.csv")};
  {
    testing_support::ReadOnlyFolder::AsUser user;
    w.cmdSaveResults->click();
  }
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].style, ui::kStyleCritical);
  EXPECT_TRUE(
      host.boxes[0].text.startsWith("Could not save '" + folder.filePath("alarms.csv") + "': "))
      << host.boxes[0].text.toStdString();
  EXPECT_EQ(ReadAll(folder.filePath("alarms.csv")), "kept");
  EXPECT_EQ(folder.entries(), QStringList{"alarms.csv"});
}

TEST_F(Results, CtrlCCopiesTheSelectedRowsOrEveryRowWithItsHeader) {
  request(1);
  paneView()->setFocus();
  QTest::keyClick(paneView(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard(),
            "Date\tTime\tTREND1\n4/05/2005\t04:00:22\t1.5\n4/05/2005\t04:00:23\t2.5\n"
            "4/05/2005\t04:00:24\t3.5\n");

  SelectInPane(At(1, 3), At(2, 5));
  QTest::keyClick(paneView(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard(), "4/05/2005\t04:00:22\t1.5\n4/05/2005\t04:00:23\t2.5\n");

  SelectInPane(At(3, 0), At(3, 9));
  QTest::keyClick(paneView(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard(), "4/05/2005") << "a part of one line is copied as it is";

  w.txtValue->setFocus();
  QTest::keyClicks(w.txtValue, "typed");
  QTest::keyClick(w.txtValue, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(w.txtValue, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard(), "typed") << "a text box copies its own selection";
}

}  // namespace
}  // namespace app_test
