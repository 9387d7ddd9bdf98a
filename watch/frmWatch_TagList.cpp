// The watched tags: typed, dropped, removed, and kept in a watch list file.
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSet>
#include <QTableView>

#include "Host.h"
#include "SendableText.h"
#include "WatchList.h"
#include "WatchTableModel.h"
#include "frmTrendPlot.h"
#include "frmWatch.h"

namespace watch {

void frmWatch::cmdAdd_Click() {
  const QString tag = cboTag->currentText();
  if (tag.isEmpty()) return;
  AddTags({tag});
  cboTag->lineEdit()->clear();
  cboTag->setFocus();
}

void frmWatch::AddTags(const QStringList& tags) {
  if (tags.isEmpty() || !logic::Sendable(host_, tags)) return;
  QStringList watched = model_->tags();
  QSet<QString> known(watched.begin(), watched.end());
  const qsizetype before = watched.size();
  for (const QString& tag : tags) {
    if (known.contains(tag)) continue;
    known.insert(tag);
    watched << tag;
  }
  if (watched.size() > before) SetTags(watched);
}

void frmWatch::cmdRemove_Click() {
  const QModelIndexList rows = grdTags->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  QSet<int> removed;
  for (const QModelIndex& row : rows) removed.insert(row.row());
  QStringList kept;
  for (int row = 0; row < model_->tags().size(); ++row)
    if (!removed.contains(row)) kept << model_->tags()[row];
  SetTags(kept);
}

// The table starts again for the new list: a running watch goes on with it from now.
void frmWatch::SetTags(const QStringList& tags) {
  const bool wasRunning = running();
  if (wasRunning) Pause();
  if (recorder_) StopRecording(QStringLiteral("the watched tags changed"));
  model_->SetTags(tags);
  // A live plot follows the tags it was opened with; those are gone.
  for (const QPointer<plot::frmTrendPlot>& plot : plots_)
    if (plot) plot->close();
  plots_.clear();
  history_ = std::make_shared<logic::WatchHistory>(tags);
  if (wasRunning && !tags.isEmpty()) Start();
}

void frmWatch::mnuOpen_Click() {
  const std::optional<QString> path =
      ChooseWatchList ? ChooseWatchList() : [this]() -> std::optional<QString> {
    const QString chosen =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open Watch List"), saveList_.folder,
                                     QStringLiteral("Watch list (*.txt);;All files (*)"));
    return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
  }();
  if (!path) return;
  QFile file(*path);
  if (!file.open(QIODevice::ReadOnly)) {
    host_.MsgBox(QStringLiteral("Cannot open ") + *path, ui::kStyleCritical,
                 QStringLiteral("Watch"), file.errorString());
    return;
  }
  const QStringList tags = logic::WatchListTags(QString::fromUtf8(file.readAll()));
  if (!logic::Sendable(host_, tags)) return;
  // The file's list replaces the window's, as opening a document does.
  SetTags(tags);
}

void frmWatch::mnuSave_Click() {
  const QStringList tags = model_->tags();
  logic::SaveAs(host_, saveList_, QStringLiteral("watch.txt"),
                [&tags](const QString&) { return logic::WatchListFile(tags); });
}

void frmWatch::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasText()) event->acceptProposedAction();
}

void frmWatch::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasText()) return;
  AddTags(logic::WatchListTags(event->mimeData()->text()));
  event->acceptProposedAction();
}

}  // namespace watch
