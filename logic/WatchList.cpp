#include "WatchList.h"

#include <QSet>

namespace logic {

QStringList WatchListTags(const QString& text) {
  QStringList tags;
  QSet<QString> seen;
  for (const QStringView line : QStringView(text).split(u'\n')) {
    const QString name = line.trimmed().toString();
    if (!name.isEmpty() && !seen.contains(name)) {
      seen.insert(name);
      tags << name;
    }
  }
  return tags;
}

QByteArray WatchListFile(const QStringList& tags) {
  QByteArray file;
  for (const QString& tag : tags) file += tag.toUtf8() + '\n';
  return file;
}

}  // namespace logic
