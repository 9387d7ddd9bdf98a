// The recording of a watch as a spreadsheet and a script read it back: header and quoting,
// gaps, only-changes rows, rotation at the hour and at a size, and a failing disk or folder.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "IsoTime.h"

#include "PythonCsv.h"
#include "WatchRecorder.h"

namespace {

using logic::RecordingChoice;
using logic::WatchCycle;
using logic::WatchRecorder;
using testing_support::ReadWithPython;

binding::ListValue Read(const std::string& text) {
  return {binding::ListValue::Outcome::Read, text};
}

// Feeds cycles through the tags and the recorder as a watch does.
struct Recording {
  logic::WatchedTags watched;
  WatchRecorder recorder;
  Recording(const RecordingChoice& choice, const QStringList& tags)
      : watched(tags), recorder(choice, tags) {}

  bool Cycle(const QDateTime& time, std::vector<binding::ListValue> values, bool standby = false) {
    WatchCycle cycle{time, values.empty(), standby, values.empty() ? "" : "P", {}, values};
    watched.Apply(cycle);
    return recorder.Record(cycle, watched);
  }
};

QDateTime At(int hour, int minute, int second, int ms = 0) {
  return QDateTime(QDate(2026, 12, 8), QTime(hour, minute, second, ms));
}

TEST(WatchRecorder, RowsCarryTheTimeTheServerAndEveryValueQuotedAndGuarded) {
  QTemporaryDir dir;
  const QString path = dir.filePath("watch.csv");
  Recording r({path}, {"LEVEL", "Name, with comma", "NOTE"});
  ASSERT_TRUE(r.Cycle(At(10, 0, 0, 250), {Read("1.5"), Read("say \"hi\""), Read("=SUM(A1)")}));
  ASSERT_TRUE(r.Cycle(At(10, 0, 1), {}));  // a gap
  ASSERT_TRUE(r.Cycle(At(10, 0, 2),
                      {Read("-2"), {binding::ListValue::Outcome::NotRead, {}}, Read("x")}, true));
  const auto rows = ReadWithPython(path, "excel");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (QStringList{"time", "server", "LEVEL", "Name, with comma", "NOTE"}));
  EXPECT_EQ(rows[1][0], logic::IsoDateTime(At(10, 0, 0, 250)));
  EXPECT_TRUE(rows[1][0].contains(".250"));
  EXPECT_EQ(rows[1].mid(1), (QStringList{"primary", "1.5", "say \"hi\"", "'=SUM(A1)"}));
  EXPECT_EQ(rows[2].mid(1), (QStringList{"gap", "", "", ""}));
  EXPECT_EQ(rows[3].mid(1), (QStringList{"standby", "-2", "", "x"}));

  // A second recording into the same file goes on below the first; other tags do not.
  {
    Recording again({path}, {"LEVEL", "Name, with comma", "NOTE"});
    ASSERT_TRUE(again.Cycle(At(10, 0, 3), {Read("1"), Read("2"), Read("3")}));
  }
  EXPECT_EQ(ReadWithPython(path, "excel").size(), 5u);
  Recording other({path}, {"LEVEL"});
  EXPECT_FALSE(other.Cycle(At(10, 0, 4), {Read("1")}));
  EXPECT_TRUE(other.recorder.stopReason().contains("other tags"));
  EXPECT_EQ(ReadWithPython(path, "excel").size(), 5u);
}

TEST(WatchRecorder, OnlyChangesKeepsTheRowsThatChangedAndBothEdgesOfAGap) {
  QTemporaryDir dir;
  const QString path = dir.filePath("changes.csv");
  Recording r({path, true}, {"A", "B"});
  const std::vector<std::vector<binding::ListValue>> cycles = {
      {Read("1"), Read("x")},  // first row: kept
      {Read("1"), Read("x")},  // no change
      {Read("2"), Read("x")},  // kept
      {},                      // a gap begins: kept
      {},                      // still a gap
      {Read("2"), Read("x")},  // values again: kept though none changed
      {Read("2"), Read("x")},
  };
  for (std::size_t i = 0; i < cycles.size(); ++i)
    ASSERT_TRUE(r.Cycle(At(10, 0, static_cast<int>(i)), cycles[i]));
  QStringList kept;
  for (const auto& row : ReadWithPython(path, "excel")) kept << row.value(1) + row.value(2);
  EXPECT_EQ(kept, (QStringList{"serverA", "primary1", "primary2", "gap", "primary2"}));
}

TEST(WatchRecorder, RotatesAtTheClockHourAndAtTheSizeIntoFilesNamedByTheirStart) {
  QTemporaryDir dir;
  const QString path = dir.filePath("hourly.csv");
  Recording hourly(*logic::WithRotation({path}, "1h"), {"A"});
  for (const QDateTime& time : {At(9, 59, 58), At(9, 59, 59, 900), At(10, 0, 0), At(10, 59, 59)})
    ASSERT_TRUE(hourly.Cycle(time, {Read("1")}));
  const QString first = WatchRecorder::RotatedName(path, At(9, 59, 58));
  const QString second = WatchRecorder::RotatedName(path, At(10, 0, 0));
  EXPECT_TRUE(QFileInfo(second).fileName().startsWith("hourly-2026-12-08T10-00-00"));
  EXPECT_TRUE(second.endsWith(".csv"));
  EXPECT_EQ(ReadWithPython(first, "excel").size(), 3u);   // header and two rows
  EXPECT_EQ(ReadWithPython(second, "excel").size(), 3u);  // the hour's first row starts it
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);

  const QString sized = dir.filePath("sized.csv");
  Recording bySize(*logic::WithRotation({sized}, "1MB"), {"A", "B", "C"});
  const binding::ListValue big = Read(std::string(100 * 1024, 'v'));
  for (int second = 0; second < 8; ++second)
    ASSERT_TRUE(bySize.Cycle(At(11, 0, second), {big, big, big}));
  // Four rows of 300 KiB reach a megabyte, so the fifth starts a file.
  EXPECT_EQ(ReadWithPython(WatchRecorder::RotatedName(sized, At(11, 0, 0)), "excel").size(), 5u);
  EXPECT_EQ(ReadWithPython(WatchRecorder::RotatedName(sized, At(11, 0, 4)), "excel").size(), 5u);

  EXPECT_FALSE(logic::WithRotation({path}, "0MB"));
  EXPECT_FALSE(logic::WithRotation({path}, "2h"));
  EXPECT_FALSE(logic::WithRotation({path}, "1.5MB"));
}

TEST(WatchRecorder, AFullDiskOrARemovedFolderStopsTheRecordingWithItsReason) {
  Recording full({"/dev/full"}, {"A"});
  EXPECT_FALSE(full.Cycle(At(10, 0, 0), {Read("1")}));
  EXPECT_FALSE(full.recorder.recording());
  EXPECT_TRUE(full.recorder.stopReason().contains("No space left"))
      << full.recorder.stopReason().toStdString();
  EXPECT_FALSE(full.Cycle(At(10, 0, 1), {Read("1")}));  // stays stopped

  QTemporaryDir dir;
  const QString folder = dir.filePath("gone");
  ASSERT_TRUE(QDir().mkdir(folder));
  Recording removed({folder + "/watch.csv"}, {"A"});
  ASSERT_TRUE(removed.Cycle(QDateTime::currentDateTime(), {Read("1")}));
  ASSERT_TRUE(QDir(folder).removeRecursively());
  // Within about a second, when the file is next synced, the removal is noticed.
  bool recording = true;
  QDeadlineTimer deadline(30000);
  for (int cycle = 0; recording && !deadline.hasExpired(); ++cycle) {
    QThread::msleep(50);  // cycles at a watch's fastest interval
    recording = removed.Cycle(QDateTime::currentDateTime(), {Read(std::to_string(cycle))});
  }
  EXPECT_FALSE(recording);
  EXPECT_TRUE(removed.recorder.stopReason().contains("removed"))
      << removed.recorder.stopReason().toStdString();
}

}  // namespace
