// probe and watch against a primary and a standby: the exit codes a monitoring system acts on,
// and a watch that follows the servers as they go and come back.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>

#include "HeldPort.h"
#include "ZncheckRun.h"
#include "ZnsimProcess.h"

namespace zncheck_test {
namespace {

using testing_support::HeldPort;
using testing_support::ZnsimProcess;

// Each server's port is held for the whole test: once the server is killed it refuses, and no
// other test's server can take it and answer in its place.
struct Pair : ::testing::Test {
  HeldPort primaryPort, standbyPort;
  std::unique_ptr<ZnsimProcess> primary = Start(primaryPort);
  std::unique_ptr<ZnsimProcess> standby = Start(standbyPort);
  static std::unique_ptr<ZnsimProcess> Start(const HeldPort& port) {
    return std::make_unique<ZnsimProcess>(std::vector<std::string>{}, std::string(), port.port());
  }
  QStringList Servers() const {
    return {"--primary", QString::fromStdString(primary->address()), "--standby",
            QString::fromStdString(standby->address())};
  }
};

// What a monitoring system sees, case by case and in this order: the exit code and the first
// line (probe's status line, or another command's line on standard error).
TEST_F(Pair, EveryOutcomeHasItsExitCodeAndAHeadlineThatNamesIt) {
  const QString p = QRegularExpression::escape(QString::fromStdString(primary->address()));
  const QString s = QRegularExpression::escape(QString::fromStdString(standby->address()));
  QTemporaryDir folder;
  const QString wrong = folder.filePath("wrong");
  QFile file(wrong);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("wrong\n") > 0);
  file.close();
  struct Case {
    QStringList args;
    int exitCode;
    QString firstLine;  // a pattern, from the start of the line
    bool password = true;
    std::function<void()> before = {};
  };
  const QString answered = " answered in [0-9.]+ ms, server time ";
  const Case cases[] = {
      {{"probe"},
       3,
       "ZNAPI UNKNOWN - no password: give --password-file FILE or set ZNAPI_PASSWORD$",
       false},
      {{"read", "LIT101"}, 3, "zncheck: no password: give --password-file", false},
      {{"probe", "--password-file", folder.filePath("none")},
       3,
       "ZNAPI UNKNOWN - cannot read the password file .*/none$"},
      {{"probe", "--format", "xml"}, 3, "ZNAPI UNKNOWN - --format: xml not in"},
      {{"probe", "--timeout", "-1"}, 3, "ZNAPI UNKNOWN - --timeout"},
      {{"trend", "TREND1", "--duration", "soon"}, 3, "zncheck: --duration: not a duration"},
      {{"probe", "--password-file", wrong},
       2,
       "ZNAPI CRITICAL - login refused for user 'Engineer' by primary " + p +
           ": wrong user name or password \\(standby " + s + ": login refused"},
      {{"read", "LIT101", "--password-file", wrong},
       2,
       "zncheck: login refused for user 'Engineer' by primary " + p},
      // Thresholds no round trip reaches, however loaded the machine: the server decides.
      {{"probe", "--warn-ms", "1e9", "--crit-ms", "1e9"}, 0, "ZNAPI OK - primary " + p + answered},
      // Any round trip takes more than 0 ms: the thresholds decide, whatever the load.
      {{"probe", "--warn-ms", "0", "--crit-ms", "1e9"},
       1,
       "ZNAPI WARNING - primary " + p + answered},
      {{"probe", "--warn-ms", "0", "--crit-ms", "0"},
       2,
       "ZNAPI CRITICAL - primary " + p + answered},
      // A stalled primary: its deadline passes and the standby answers.
      {{"probe", "--timeout", "1", "--warn-ms", "1e9", "--crit-ms", "1e9"},
       1,
       "ZNAPI WARNING - standby " + s + answered + ".*\\(failover: primary " + p +
           " did not answer\\)",
       true,
       [&] { primary->pause(); }},
      {{"probe", "--warn-ms", "1e9", "--crit-ms", "1e9"},
       1,
       "ZNAPI WARNING - standby " + s + answered,
       true,
       [&] {
         primary->resume();
         primary->kill9();
       }},
      {{"probe"},
       2,
       "ZNAPI CRITICAL - no server answered \\(primary " + p + ": .+; standby " + s + ": .+\\)$",
       true,
       [&] { standby->kill9(); }},
      {{"read", "LIT101"}, 2, "zncheck: no server answered \\(primary " + p},
  };
  for (const Case& c : cases) {
    if (c.before) c.before();
    const QStringList args = c.args + Servers();
    SCOPED_TRACE(args.join(' ').toStdString());
    const Outcome run = Zncheck(args, {}, c.password);
    EXPECT_EQ(run.exitCode, c.exitCode);
    const bool statusLine = c.args.first() == "probe";
    const QStringList lines = Lines(statusLine ? run.out : run.err);
    ASSERT_FALSE(lines.isEmpty()) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(QRegularExpression("^" + c.firstLine).match(lines.first()).hasMatch())
        << lines.first().toStdString();
    if (c.exitCode == 3) {
      EXPECT_EQ(lines.size(), 1) << "one line says what is missing";
    }
  }
}

// The watch's rows as CSV fields, read as they come.
class Watch {
 public:
  explicit Watch(const QStringList& args) {
    Prepare(process_, args);
    process_.start();
  }
  ~Watch() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished();
    }
  }
  /// The columns of the next row; none when no row came within a minute.
  QStringList NextRow() {
    const QString line = NextLine().trimmed();
    return line.isEmpty() ? QStringList() : line.split(',');
  }
  /// Waits for a row from `server`, which is then in `row`.
  bool WaitFor(const QString& server, QStringList& row) {
    for (int rows = 0; rows < 200; ++rows) {
      row = NextRow();
      if (row.value(1) == server) return true;
    }
    return false;
  }
  /// The next line as it was written, without its line end; empty when none came within a
  /// minute.
  QString NextLine() {
    QDeadlineTimer deadline(60000);
    while (!process_.canReadLine())
      if (deadline.hasExpired() || !process_.waitForReadyRead(deadline.remainingTime())) return {};
    return QString::fromUtf8(process_.readLine()).chopped(1);
  }
  QProcess& process() { return process_; }

 private:
  QProcess process_;
};

// A failover and the return: in CSV the first row on the other server says so in its own
// column; in text a line of its own announces it.
TEST_F(Pair, WatchFollowsFailoverAndWithTryPrimaryFirstReturnsToThePrimary) {
  const QStringList args =
      QStringList{"watch", "LIT101", "--interval", "100ms", "--try-primary-first"} + Servers();
  Watch watch(args + QStringList{"--format", "csv"});
  Watch text(args);
  ASSERT_EQ(watch.NextRow().value(6), "failover");  // the header
  QStringList row;
  ASSERT_TRUE(watch.WaitFor("primary", row));
  EXPECT_EQ(row.value(6), "false");
  // Both watches on the primary before it goes, however late the loaded machine started them.
  QString line;
  for (int lines = 0; lines < 5000 && !line.contains("  primary  "); ++lines)
    line = text.NextLine();
  ASSERT_TRUE(line.contains("  primary  ")) << line.toStdString();
  primary->kill9();
  ASSERT_TRUE(watch.WaitFor("standby", row));
  EXPECT_EQ(row.value(6), "true");
  primary = Start(primaryPort);
  ASSERT_TRUE(watch.WaitFor("primary", row));
  EXPECT_EQ(row.value(6), "true");

  const QString p = QString::fromStdString(primary->address());
  const QString s = QString::fromStdString(standby->address());
  QStringList announced;
  for (int lines = 0; lines < 5000 && announced.size() < 2; ++lines) {
    const QString line = text.NextLine();
    if (line.contains(" failover: ")) announced << line.section(' ', 1);
  }
  EXPECT_EQ(announced,
            (QStringList{"failover: standby " + s + " answers, primary " + p + " did not",
                         "failover: primary " + p + " answers, standby " + s + " is left"}));

  // Ctrl+C ends the watch cleanly: it exits by itself with every row written whole.
  ::kill(static_cast<pid_t>(watch.process().processId()), SIGINT);
  ASSERT_TRUE(watch.process().waitForFinished(30000));
  EXPECT_EQ(watch.process().exitStatus(), QProcess::NormalExit);
  const QByteArray rest = watch.process().readAll();
  EXPECT_TRUE(rest.isEmpty() || rest.endsWith('\n')) << rest.toStdString();
}

// After a stall the watch polls once at once and keeps its interval: the polls it missed are
// skipped and counted, never run back to back.
TEST_F(Pair, WatchAfterAStallSkipsTheMissedPollsInsteadOfABurst) {
  Watch watch(QStringList{"watch", "LIT101", "--interval", "500ms", "--format", "csv"} + Servers());
  QStringList times;
  ASSERT_EQ(watch.NextRow().value(0), "time");  // the header
  for (int row = 0; row < 2; ++row) times << watch.NextRow().value(0);
  const auto pid = static_cast<pid_t>(watch.process().processId());
  ::kill(pid, SIGSTOP);
  QThread::msleep(3000);  // the stall itself: six polls' worth
  ::kill(pid, SIGCONT);
  for (int row = 0; row < 4; ++row) times << watch.NextRow().value(0);
  for (qsizetype i = 1; i < times.size(); ++i) {
    const QDateTime before = QDateTime::fromString(times[i - 1], Qt::ISODateWithMs);
    const QDateTime after = QDateTime::fromString(times[i], Qt::ISODateWithMs);
    ASSERT_TRUE(before.isValid() && after.isValid()) << times.join(' ').toStdString();
    // Polls in a burst would be a read's time apart, a few milliseconds; half the interval
    // leaves room for a poll that the loaded machine started late.
    EXPECT_GE(before.msecsTo(after), 250) << times.join(' ').toStdString();
  }
  ::kill(pid, SIGINT);
  ASSERT_TRUE(watch.process().waitForFinished(30000));
  const QString said = QString::fromUtf8(watch.process().readAllStandardError());
  // A loaded machine may make a poll late before the stall too: the last count is the total.
  const QRegularExpression skipped(
      "zncheck: \\d+ poll\\(s\\) skipped after a stall \\((\\d+) in all\\)");
  int total = 0;
  for (const auto& match : skipped.globalMatch(said)) total = match.captured(1).toInt();
  EXPECT_GE(total, 3) << said.toStdString();
}

}  // namespace
}  // namespace zncheck_test
