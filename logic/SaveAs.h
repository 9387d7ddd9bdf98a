#pragma once
/// The Save... command of every window: ask where, save whole, tell the user when it failed.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace ui {
class Host;
}

namespace logic {

/// What a window's Save... offers; it remembers the folder last saved to.
struct SaveDialog {
  QString title;
  QString filters;       // as the host's dialog takes them: "CSV file (*.csv)"
  QStringList suffixes;  // accepted endings, the first added when the chosen name has none
  QString folder;
};

/// Asks the host where to save, suggesting `fileName` in the dialog's folder, then saves what
/// `contents` makes for the chosen path with SaveWhole. A failure shows a box that names the
/// file and the reason. False when the user cancelled or the file could not be saved.
bool SaveAs(ui::Host& host, SaveDialog& dialog, const QString& fileName,
            const std::function<QByteArray(const QString& path)>& contents);

/// `name` made fit to be a file name: characters that file systems refuse become "_".
QString FileNameFrom(const QString& name);

}  // namespace logic
