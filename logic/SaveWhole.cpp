#include "SaveWhole.h"

#include <QSaveFile>

namespace logic {

std::optional<QString> SaveWhole(const QString& path, const QByteArray& bytes) {
  // QSaveFile writes beside the target and renames on commit; without a commit its
  // destructor removes what it wrote.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (file.write(bytes) != bytes.size()) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return reason;
  }
  if (!file.commit()) return file.errorString();
  return std::nullopt;
}

}  // namespace logic
