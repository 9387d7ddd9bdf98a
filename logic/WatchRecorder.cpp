#include "WatchRecorder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>

#include "DelimitedText.h"
#include "IsoTime.h"

namespace logic {

namespace {

constexpr qint64 kSyncEveryMs = 1000;
constexpr std::int64_t kMegabyte = 1024 * 1024;

QString SystemError() {
  return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray CsvRecord(const QStringList& fields) {
  DelimitedText csv = DelimitedText::Csv();
  csv.Add(fields);
  return csv.text().toUtf8();
}

}  // namespace

std::optional<RecordingChoice> WithRotation(RecordingChoice choice, const QString& text) {
  if (text == QLatin1String("1h")) {
    choice.rotation = RecordingChoice::Rotation::Hourly;
    return choice;
  }
  static const QRegularExpression megabytes(QStringLiteral("^([1-9][0-9]{0,5})MB$"));
  const QRegularExpressionMatch match = megabytes.match(text);
  if (!match.hasMatch()) return std::nullopt;
  choice.rotation = RecordingChoice::Rotation::BySize;
  choice.maxBytes = match.captured(1).toLongLong() * kMegabyte;
  return choice;
}

WatchRecorder::WatchRecorder(RecordingChoice choice, const QStringList& tags)
    : choice_(std::move(choice)),
      header_(CsvRecord(QStringList{QStringLiteral("time"), QStringLiteral("server")} + tags)) {}

WatchRecorder::~WatchRecorder() {
  Close();
}

QString WatchRecorder::RotatedName(const QString& path, const QDateTime& start) {
  const QFileInfo info(path);
  QString stamp = IsoDateTime(start.addMSecs(-start.time().msec()));
  stamp.replace(QLatin1Char(':'), QLatin1Char('-'));
  const QString suffix = info.completeSuffix();
  const QString name = info.baseName() + QLatin1Char('-') + stamp +
                       (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
  return info.dir().filePath(name);
}

bool WatchRecorder::Record(const WatchCycle& cycle, const WatchedTags& watched) {
  if (stopped_) return false;
  const bool gapEdge = cycle.gap != lastWasGap_;
  lastWasGap_ = cycle.gap;
  if (fd_ >= 0 && DueForRotation(cycle.time)) Close();
  if (fd_ < 0 && !Open(cycle.time)) return false;
  // Every file starts with a whole row, so that each one stands alone.
  const bool wanted = !choice_.changesOnly || !rowsInFile_ || gapEdge || watched.anyChanged();
  if (wanted) {
    QStringList fields{IsoDateTime(cycle.time), cycle.gap       ? QStringLiteral("gap")
                                                : cycle.standby ? QStringLiteral("standby")
                                                                : QStringLiteral("primary")};
    fields.reserve(2 + static_cast<qsizetype>(watched.tags().size()));
    for (const WatchedTag& tag : watched.tags())
      fields << (cycle.gap || tag.failed ? QString() : tag.value);
    if (!Write(CsvRecord(fields))) return false;
    rowsInFile_ = true;
  }
  return SyncIfDue();
}

bool WatchRecorder::DueForRotation(const QDateTime& time) const {
  switch (choice_.rotation) {
    case RecordingChoice::Rotation::Hourly:
      return time >= rotateAt_;
    case RecordingChoice::Rotation::BySize:
      return size_ >= choice_.maxBytes;
    case RecordingChoice::Rotation::None:
      break;
  }
  return false;
}

bool WatchRecorder::Open(const QDateTime& start) {
  file_ = choice_.rotation == RecordingChoice::Rotation::None ? choice_.path
                                                              : RotatedName(choice_.path, start);
  const QByteArray name = QFile::encodeName(file_);
  fd_ = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) return Stop(SystemError());
  struct stat opened {};
  if (::fstat(fd_, &opened) != 0) return Stop(SystemError());
  device_ = opened.st_dev;
  inode_ = opened.st_ino;
  size_ = opened.st_size;
  rowsInFile_ = false;
  const QTime hour(start.time().hour(), 0);
  rotateAt_ = QDateTime(start.date(), hour).addSecs(3600);  // local, as the cycles' times
  sinceSync_.invalidate();                                  // the first write syncs
  if (size_ > 0) {
    // Appending to an earlier recording is fine as long as it holds the same columns.
    QFile existing(file_);
    if (!existing.open(QIODevice::ReadOnly)) return Stop(existing.errorString());
    QByteArray first = existing.readLine(header_.size() + 4);
    if (first.startsWith("\xEF\xBB\xBF")) first.remove(0, 3);
    if (first != header_) return Stop(QStringLiteral("it holds a recording of other tags"));
    return true;
  }
  // The byte-order mark tells spreadsheets the file is UTF-8, as the windows' CSV files do.
  return Write(QByteArray("\xEF\xBB\xBF") + header_) && SyncIfDue();
}

bool WatchRecorder::Write(const QByteArray& bytes) {
  const char* data = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd_, data, static_cast<size_t>(left));
    if (written < 0) {
      if (errno == EINTR) continue;
      return Stop(SystemError());
    }
    data += written;
    left -= written;
  }
  size_ += bytes.size();
  return true;
}

bool WatchRecorder::SyncIfDue() {
  if (sinceSync_.isValid() && sinceSync_.elapsed() < kSyncEveryMs) return true;
  if (::fsync(fd_) != 0) return Stop(SystemError());
  sinceSync_.start();
  // An open file outlives its folder: only its name tells that the recording went nowhere.
  struct stat named {};
  const QByteArray name = QFile::encodeName(file_);
  if (::stat(name.constData(), &named) != 0 || named.st_dev != device_ || named.st_ino != inode_)
    return Stop(QStringLiteral("the file was removed or moved"));
  return true;
}

void WatchRecorder::Close() {
  if (fd_ < 0) return;
  ::fsync(fd_);
  ::close(fd_);
  fd_ = -1;
}

bool WatchRecorder::Stop(const QString& reason) {
  stopReason_ = file_ + QStringLiteral(": ") + reason;
  stopped_ = true;
  Close();
  return false;
}

}  // namespace logic
