// A recorded watch through a failover of a real redundant pair: the recording follows the
// servers without a row twice or a hole in the standby's rows, marks the cycles no server
// answered, and survives the watching process being killed.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "PythonCsv.h"
#include "RedundantPair.h"
#include "ZncheckRun.h"

namespace zncheck_test {
namespace {

constexpr int kTags = 50;

// A redundant pair, given to zncheck as its primary and standby.
struct RecordedPair : ::testing::Test, testing_support::RedundantPair {
  QStringList Servers() const {
    return {"--primary", QString::fromStdString(primary->address()), "--standby",
            QString::fromStdString(standby->address())};
  }
  // The first tags of the demo project, as browse lists them.
  QStringList DemoTags() const {
    const Outcome browse = Zncheck(QStringList{"browse", "Tag", "--format", "csv"} + Servers());
    QStringList tags;
    for (const QString& line : Lines(browse.out).mid(1)) {
      tags << line.section(',', 0, 0);
      if (tags.size() == kTags) break;
    }
    return tags;
  }
};

// The rows of the recording so far, read as a spreadsheet would.
std::vector<QStringList> Rows(const QString& path) {
  return testing_support::ReadWithPython(path, "excel");
}

// Waits until `ready` says yes of the recording, reading it as it grows.
bool WaitFor(const QString& path,
             const std::function<bool(const std::vector<QStringList>&)>& ready) {
  QDeadlineTimer deadline(120000);
  while (!deadline.hasExpired()) {
    if (ready(Rows(path))) return true;
    QThread::msleep(100);
  }
  return false;
}

qsizetype Count(const std::vector<QStringList>& rows, const QString& server) {
  return std::count_if(rows.begin(), rows.end(),
                       [&](const QStringList& row) { return row.value(1) == server; });
}

TEST_F(RecordedPair, ARecordedWatchFollowsTheFailoverMarksGapsAndSurvivesAKill) {
  const QStringList tags = DemoTags();
  ASSERT_EQ(tags.size(), kTags);
  QTemporaryDir dir;
  const QString path = dir.filePath("watch.csv");
  QProcess watch;
  Prepare(watch, QStringList{"watch"} + tags +
                     QStringList{"--interval", "200ms", "--record", path, "--quiet"} + Servers());
  watch.setStandardOutputFile(QProcess::nullDevice());
  watch.start();

  ASSERT_TRUE(WaitFor(path, [](const auto& rows) { return Count(rows, "primary") >= 5; }));
  primary->kill9();
  ASSERT_TRUE(WaitFor(path, [](const auto& rows) { return Count(rows, "standby") >= 10; }));
  standby->kill9();
  ASSERT_TRUE(WaitFor(path, [](const auto& rows) { return Count(rows, "gap") >= 3; }));
  StartPrimary();
  ASSERT_TRUE(WaitFor(path, [](const auto& rows) {
    return !rows.empty() && rows.back().value(1) == "primary" && Count(rows, "gap") > 0;
  }));

  // Killed just after a row reached the file: that row is there, whole.
  const qint64 size = QFileInfo(path).size();
  QDeadlineTimer deadline(60000);
  while (QFileInfo(path).size() == size && !deadline.hasExpired()) QThread::msleep(5);
  ::kill(static_cast<pid_t>(watch.processId()), SIGKILL);
  const QDateTime killed = QDateTime::currentDateTime();
  watch.waitForFinished();

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().endsWith("\r\n"));
  const std::vector<QStringList> rows = Rows(path);
  ASSERT_EQ(rows.front(), QStringList({"time", "server"}) + tags);
  const QDateTime last = QDateTime::fromString(rows.back().value(0), Qt::ISODateWithMs);
  ASSERT_TRUE(last.isValid()) << rows.back().join(',').toStdString();
  EXPECT_GE(last.msecsTo(killed), -1) << "a row from after the kill";
  EXPECT_LE(last.msecsTo(killed), 1000) << "more than the last second lost";

  // In order, each cycle once: primary, the standby from the cycle that found the primary
  // gone (or a gap first, when it went during a read), gaps while neither answered, then the
  // primary again. Every row that names a server holds all its values.
  QStringList phases;
  QDateTime previous;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const QStringList& row = rows[i];
    ASSERT_EQ(row.size(), kTags + 2) << "row " << i;
    const QDateTime time = QDateTime::fromString(row[0], Qt::ISODateWithMs);
    ASSERT_TRUE(time.isValid()) << row[0].toStdString();
    EXPECT_GT(time, previous) << "row " << i << " is not after the one before";
    previous = time;
    const bool gap = row[1] == "gap";
    for (int column = 2; column < row.size(); ++column)
      EXPECT_EQ(row[column].isEmpty(), gap)
          << "row " << i << ", " << tags[column - 2].toStdString();
    if (!gap && (phases.isEmpty() || phases.back() != row[1])) phases << row[1];
  }
  EXPECT_EQ(phases, (QStringList{"primary", "standby", "primary"}));
  // The standby's rows come one after another, none missing: no gap between its first and
  // last row.
  const auto firstStandby = std::find_if(
      rows.begin(), rows.end(), [](const QStringList& r) { return r.value(1) == "standby"; });
  const auto afterStandby = std::find_if(
      firstStandby, rows.end(), [](const QStringList& r) { return r.value(1) != "standby"; });
  EXPECT_EQ(afterStandby - firstStandby, Count(rows, "standby"));
  EXPECT_EQ(afterStandby->value(1), "gap");
}

}  // namespace
}  // namespace zncheck_test
