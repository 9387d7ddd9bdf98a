#pragma once
/// A watch list as a file and as dropped text: one tag name per line.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace logic {

/// The tag names of `text`, one per line (LF or CR LF, the last line with or without its end),
/// blanks around a name trimmed, empty lines skipped, each name once in the order first met.
QStringList WatchListTags(const QString& text);
/// `tags` as a watch list file: UTF-8, one name per line.
QByteArray WatchListFile(const QStringList& tags);

}  // namespace logic
