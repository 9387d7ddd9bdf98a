#pragma once
/// A list box whose entries leave by drag as plain text (each followed by CR LF) and which
/// takes dropped plain text; what a drop adds is up to the window that owns it.
#include <QListWidget>
#include <functional>

namespace listread {

class TextDragList : public QListWidget {
 public:
  explicit TextDragList(QWidget* parent = nullptr);

  /// Called with the dropped data; the list itself adds nothing.
  std::function<void(const QMimeData*)> onDrop;

  /// The given entries, in row order, as the text a drag out of this list carries.
  QString PayloadOf(QList<QListWidgetItem*> items) const;

 protected:
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
  Qt::DropActions supportedDropActions() const override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

}  // namespace listread
