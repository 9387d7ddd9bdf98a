// The request kinds against a real znsim serving its demo plant, through the real
// library: what the result pane shows is what the server answered.
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "../zncheck/ZncheckRun.h"
#include "QtHost.h"
#include "Widgets.h"
#include "WindowOnServer.h"

namespace {

struct RequestsE2e : e2e_test::WindowOnServer {
  RequestsE2e() { host.now = ui::QtHost().Now(); }

  void request(int kind) {
    w.optRead[kind]->click();
    w.cmdReadAlarmTrend->click();
  }
  QStringList rows() const {
    QStringList lines = w.txtRequestedData->text().split("\r\n");
    EXPECT_EQ(lines.takeLast(), "") << "every row ends in CR LF";
    return lines;
  }
  /// Requests until the pane mentions `text`: alarms come and go with the simulation's
  /// first evaluations, so give the server a generous while.
  bool requestUntilPaneHas(int kind, const QString& text) {
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
      host.now = ui::QtHost().Now();
      host.boxes.clear();
      request(kind);
      if (w.txtRequestedData->text().contains(text)) return true;
      QThread::msleep(200);
    }
    return false;
  }
};

// The demo plant's North Moor telemetry is held lost, so its alarm is active from the start.
const QString kAlwaysActiveTag = "RES3_Comms";

TEST_F(RequestsE2e, AlarmsListWhatIsActiveNow) {
  ASSERT_TRUE(requestUntilPaneHas(2, kAlwaysActiveTag)) << w.txtRequestedData->text().toStdString();
  const QRegularExpression row(
      "^\\d{2}/\\d{2}/\\d{4}   \\d{2}:\\d{2}:\\d{2}   [^\\t]+\\t[^\\t]*\\t[^\\t]*$");
  const QStringList lines = rows();
  for (const QString& line : lines) EXPECT_TRUE(row.match(line).hasMatch()) << line.toStdString();
  EXPECT_EQ(w.lblRequestCount->text(), "Count: " + QString::number(lines.size()));
  EXPECT_EQ(w.lblStatus->text().left(28), "Status: Request takes about ");
}

TEST_F(RequestsE2e, SummaryListsTheTransitionsOfTheLastMinutes) {
  w.txtDuration->setText("10");
  ASSERT_TRUE(requestUntilPaneHas(0, kAlwaysActiveTag)) << w.txtRequestedData->text().toStdString();
  for (const QString& line : rows()) EXPECT_EQ(line.count('\t'), 3) << line.toStdString();
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(RequestsE2e, TrendShowsOneRowPerSampleOfATrendTheServerLists) {
  w.cmdLoadZontraSchema->click();  // the trend box lists the server's trends
  const QString trend = w.cboTagNames[2]->itemText(0);
  ASSERT_FALSE(trend.isEmpty());
  w.cboTagNames[2]->setEditText(trend);
  w.cboUnits->setCurrentIndex(3);  // seconds
  w.txtDuration->setText("10");
  w.txtSamplePeriod->setText("1");
  request(1);
  ASSERT_TRUE(host.boxes.empty()) << host.boxes[0].text.toStdString();
  QStringList lines = rows();
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_EQ(lines.takeFirst(), "Date    \tTime        \t" + trend);
  EXPECT_EQ(lines.size(), 10);
  const QRegularExpression row("^\\d{2}/\\d{2}/\\d{4}\\t\\d{2}:\\d{2}:\\d{2}\\t.*$");
  for (const QString& line : lines) EXPECT_TRUE(row.match(line).hasMatch()) << line.toStdString();
  EXPECT_EQ(w.lblRequestCount->text(), "Count: 10");
}

// The window's file of a request and zncheck's CSV of the same request are one layout: a
// script can take either.
struct RequestFilesE2e : RequestsE2e {
  /// Saves the pane as the user does and gives the file without its byte order mark, after
  /// checking the name the dialog proposed.
  std::string SavedFile(const QString& proposedName) {
    QTemporaryDir dir;
    host.saveAnswers = {dir.filePath("window.csv")};
    host.saveQuestions.clear();
    w.cmdSaveResults->click();
    EXPECT_EQ(QFileInfo(host.saveQuestions.value(0).section('|', 1, 1)).fileName(), proposedName);
    QFile saved(dir.filePath("window.csv"));
    if (!saved.open(QIODevice::ReadOnly)) return "<not saved>";
    QByteArray file = saved.readAll();
    EXPECT_TRUE(file.startsWith("\xEF\xBB\xBF")) << "spreadsheets need the mark to read UTF-8";
    return file.mid(3).toStdString();
  }
  /// The minute of the window's clock as file names give it.
  QString ClockMinute() const {
    return QString::asprintf("%04d-%02d-%02d %02d%02d", host.now.year, host.now.month, host.now.day,
                             host.now.hour, host.now.minute);
  }
  std::string ZncheckCsv(const QStringList& args) {
    const auto run =
        zncheck_test::Zncheck(args + QStringList{"--format", "csv", "--primary", server});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return run.out.toStdString();
  }
};

TEST_F(RequestFilesE2e, TrendFileIsZnchecksCsvOfTheSameRequest) {
  // A period wholly past, so that both requests find the same samples.
  const QDateTime end = QDateTime::currentDateTime().addSecs(-30);
  const QString endText = end.toString("dd/MM/yyyy HH:mm:ss");
  w.txtEndDateTime->setText(endText);
  w.cboTagNames[2]->setEditText("TREND1");
  w.cboUnits->setCurrentIndex(3);  // seconds
  w.txtDuration->setText("20");
  w.txtSamplePeriod->setText("2");
  request(1);
  ASSERT_TRUE(host.boxes.empty()) << host.boxes[0].text.toStdString();
  const std::string window = SavedFile("TREND1 " + end.toString("yyyy-MM-dd HHmm") + ".csv");
  EXPECT_EQ(window, ZncheckCsv({"trend", "TREND1", "--end", endText, "--duration", "20s",
                                "--period", "2"}));
  EXPECT_TRUE(QString::fromStdString(window).startsWith("time,TREND1 (m)\r\n")) << window;
}

// Alarms come and go with the simulation; the one held active since the start is the same
// row in both files.
TEST_F(RequestFilesE2e, AlarmAndDeviceFilesAreZnchecksCsvOfTheSameRequest) {
  ASSERT_TRUE(requestUntilPaneHas(2, kAlwaysActiveTag)) << w.txtRequestedData->text().toStdString();
  const auto rowsOf = [](const std::string& csv) {
    return QString::fromStdString(csv).split("\r\n");
  };
  const auto heldActive = [](const QStringList& lines) {
    return lines.filter(",RES3_Comms,").value(0);
  };
  const QStringList window = rowsOf(SavedFile("Active alarms " + ClockMinute() + ".csv"));
  const QStringList zncheck = rowsOf(ZncheckCsv({"alarms"}));
  EXPECT_EQ(window.value(0), "time,tag,name,state");
  EXPECT_EQ(window.value(0), zncheck.value(0));
  EXPECT_FALSE(heldActive(window).isEmpty()) << window.join('|').toStdString();
  EXPECT_EQ(heldActive(window), heldActive(zncheck));

  w.txtOthers->setText("Shifts");
  request(3);
  ASSERT_TRUE(host.boxes.empty()) << host.boxes[0].text.toStdString();
  EXPECT_EQ(SavedFile("Shifts " + ClockMinute() + ".csv"), ZncheckCsv({"device", "Shifts"}));
}

TEST_F(RequestsE2e, DeviceRowsHoldEveryFieldOfEachRecord) {
  // Devices are not listed by the server; the demo plant's shift roster is one of them.
  w.txtOthers->setText("Shifts");
  request(3);
  ASSERT_TRUE(host.boxes.empty()) << host.boxes[0].text.toStdString();
  EXPECT_EQ(rows(),
            (QStringList{"Early\t06:00\tJ. Okafor\tx2201\t", "Late\t14:00\tM. Brennan\tx2202\t",
                         "Night\t22:00\tS. Patel\tx2203\t"}));
}

}  // namespace
