// probe and watch against a primary and a standby: the exit codes a monitoring system acts on,
// and a watch that follows the servers as they go and come back.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>
#include <csignal>

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

TEST_F(Pair, ProbeExitsOkOnThePrimaryWarningOnTheStandbyCriticalOnNone) {
  const QString p = QString::fromStdString(primary->address());
  const QString s = QString::fromStdString(standby->address());
  // Thresholds no round trip reaches, however loaded the machine: the server that answers
  // decides the status.
  const QStringList patient{"--warn-ms", "1e9", "--crit-ms", "1e9"};
  Outcome run = Zncheck(QStringList{"probe"} + patient + Servers());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.out.startsWith(("ZNAPI OK - primary " + p + " answered in ").toUtf8()))
      << run.out.toStdString();
  EXPECT_TRUE(run.out.contains("| rtt=")) << run.out.toStdString();
  // Any round trip takes more than 0 ms: the thresholds decide, whatever the machine's load.
  run = Zncheck(QStringList{"probe", "--warn-ms", "0", "--crit-ms", "1e9"} + Servers());
  EXPECT_EQ(run.exitCode, 1) << "a slow primary is a WARNING";
  EXPECT_TRUE(run.out.startsWith(("ZNAPI WARNING - primary " + p).toUtf8()))
      << run.out.toStdString();
  run = Zncheck(QStringList{"probe", "--warn-ms", "0", "--crit-ms", "0"} + Servers());
  EXPECT_EQ(run.exitCode, 2) << "a very slow primary is CRITICAL";

  primary->kill9();
  run = Zncheck(QStringList{"probe"} + patient + Servers());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.startsWith(("ZNAPI WARNING - standby " + s).toUtf8()))
      << run.out.toStdString();

  standby->kill9();
  run = Zncheck(QStringList{"probe"} + Servers());
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.out.startsWith("ZNAPI CRITICAL - no server answered")) << run.out.toStdString();

  for (const QStringList& bad : {QStringList{"probe", "--format", "xml"}, QStringList{},
                                 QStringList{"probe", "--password", "a", "--password-file", "b"}}) {
    run = Zncheck(bad);
    EXPECT_EQ(run.exitCode, 3) << bad.join(' ').toStdString();
    EXPECT_EQ(Lines(run.err).size(), 1) << run.err.toStdString();
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
    QDeadlineTimer deadline(60000);
    while (!process_.canReadLine()) {
      if (deadline.hasExpired() || !process_.waitForReadyRead(deadline.remainingTime())) return {};
    }
    return QString::fromUtf8(process_.readLine()).trimmed().split(',');
  }
  /// The server column of the next row.
  QString NextServer() { return NextRow().value(1, QStringLiteral("(no row)")); }
  bool WaitFor(const QString& server) {
    for (int row = 0; row < 200; ++row)
      if (NextServer() == server) return true;
    return false;
  }
  QProcess& process() { return process_; }

 private:
  QProcess process_;
};

TEST_F(Pair, WatchFollowsFailoverAndWithTryPrimaryFirstReturnsToThePrimary) {
  Watch watch(QStringList{"watch", "LIT101", "--interval", "100ms", "--format", "csv",
                          "--try-primary-first"} +
              Servers());
  ASSERT_EQ(watch.NextServer(), "server");  // the header
  ASSERT_TRUE(watch.WaitFor("primary"));
  primary->kill9();
  ASSERT_TRUE(watch.WaitFor("standby"));
  primary = Start(primaryPort);
  ASSERT_TRUE(watch.WaitFor("primary"));

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

TEST_F(Pair, WatchWithACountPrintsThatManyRows) {
  const Outcome run = Zncheck(
      QStringList{"watch", "LIT101", "--count", "3", "--interval", "200ms", "--format", "json"} +
      Servers());
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QStringList rows = Lines(run.out);
  ASSERT_EQ(rows.size(), 3);
  for (const QString& row : rows) {
    EXPECT_TRUE(row.contains("\"server\":\"primary\"")) << row.toStdString();
    EXPECT_TRUE(row.contains("\"tag\":\"LIT101\",\"value\":")) << row.toStdString();
  }
}

}  // namespace
}  // namespace zncheck_test
