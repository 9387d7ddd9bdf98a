// probe and watch against a primary and a standby: the exit codes a monitoring system acts on,
// and a watch that follows the servers as they go and come back.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <csignal>

#include "ZncheckRun.h"
#include "ZnsimProcess.h"

namespace zncheck_test {
namespace {

using testing_support::ZnsimProcess;

struct Pair : ::testing::Test {
  std::unique_ptr<ZnsimProcess> primary = std::make_unique<ZnsimProcess>();
  std::unique_ptr<ZnsimProcess> standby = std::make_unique<ZnsimProcess>();
  QStringList Servers() const {
    return {"--primary", QString::fromStdString(primary->address()), "--standby",
            QString::fromStdString(standby->address())};
  }
};

TEST_F(Pair, ProbeExitsOkOnThePrimaryWarningOnTheStandbyCriticalOnNone) {
  const QString p = QString::fromStdString(primary->address());
  const QString s = QString::fromStdString(standby->address());
  Outcome run = Zncheck(QStringList{"probe"} + Servers());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.out.startsWith(("ZNAPI OK - primary " + p + " answered in ").toUtf8()))
      << run.out.toStdString();
  EXPECT_TRUE(run.out.contains("| rtt=")) << run.out.toStdString();

  primary->kill9();
  run = Zncheck(QStringList{"probe"} + Servers());
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
  /// The server column of the next row.
  QString NextServer() {
    QDeadlineTimer deadline(60000);
    while (!process_.canReadLine()) {
      if (deadline.hasExpired() || !process_.waitForReadyRead(deadline.remainingTime()))
        return QStringLiteral("(no row)");
    }
    return QString::fromUtf8(process_.readLine()).split(',').value(1);
  }
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
  const int port = primary->port();
  const std::string data = primary->dataDir();
  primary->kill9();
  ASSERT_TRUE(watch.WaitFor("standby"));
  primary = std::make_unique<ZnsimProcess>(std::vector<std::string>{}, data, port);
  ASSERT_TRUE(watch.WaitFor("primary"));

  // Ctrl+C ends the watch cleanly: it exits by itself with every row written whole.
  ::kill(static_cast<pid_t>(watch.process().processId()), SIGINT);
  ASSERT_TRUE(watch.process().waitForFinished(30000));
  EXPECT_EQ(watch.process().exitStatus(), QProcess::NormalExit);
  const QByteArray rest = watch.process().readAll();
  EXPECT_TRUE(rest.isEmpty() || rest.endsWith('\n')) << rest.toStdString();
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
