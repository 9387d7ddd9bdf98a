#include "SaveAs.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "Host.h"
#include "SaveWhole.h"

namespace logic {

bool SaveAs(ui::Host& host, SaveDialog& dialog, const QString& fileName,
            const std::function<QByteArray(const QString& path)>& contents) {
  const QString suggested =
      dialog.folder.isEmpty() ? fileName : QDir(dialog.folder).filePath(fileName);
  const auto chosen = host.SaveFileName(dialog.title, suggested, dialog.filters);
  if (!chosen) return false;
  QString path = *chosen;
  const bool known =
      std::any_of(dialog.suffixes.begin(), dialog.suffixes.end(),
                  [&](const QString& s) { return path.endsWith(s, Qt::CaseInsensitive); });
  if (!known && !dialog.suffixes.isEmpty()) path += dialog.suffixes.front();
  dialog.folder = QFileInfo(path).absolutePath();
  if (const auto failure = SaveWhole(path, contents(path))) {
    host.MsgBox(QStringLiteral("Could not save '") + QDir::toNativeSeparators(path) +
                    QStringLiteral("': ") + *failure,
                ui::kStyleCritical, dialog.title);
    return false;
  }
  return true;
}

QString FileNameFrom(const QString& name) {
  QString out = name.trimmed();
  for (QChar& c : out)
    if (c < QLatin1Char(' ') || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
  return out.isEmpty() ? QStringLiteral("untitled") : out;
}

}  // namespace logic
