#include "TextDragList.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <algorithm>

#include "ListTexts.h"

namespace listread {

namespace {
const QString kPlainText = QStringLiteral("text/plain");
}

TextDragList::TextDragList(QWidget* parent) : QListWidget(parent) {
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  // A drag copies: the source keeps its entries whatever the target does with the text.
  setDefaultDropAction(Qt::CopyAction);
}

QString TextDragList::PayloadOf(QList<QListWidgetItem*> items) const {
  // The view hands over the selection in the order it was made; the text follows the list.
  std::sort(items.begin(), items.end(),
            [this](QListWidgetItem* a, QListWidgetItem* b) { return row(a) < row(b); });
  QStringList entries;
  entries.reserve(items.size());
  for (const QListWidgetItem* item : items)
    if (item) entries.append(item->text());
  return listread::DragPayload(entries);
}

QStringList TextDragList::mimeTypes() const {
  return {kPlainText};
}

QMimeData* TextDragList::mimeData(const QList<QListWidgetItem*>& items) const {
  auto* data = new QMimeData;
  data->setText(PayloadOf(items));
  return data;
}

Qt::DropActions TextDragList::supportedDropActions() const {
  return Qt::CopyAction;
}

void TextDragList::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData() && event->mimeData()->hasText()) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void TextDragList::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData() && event->mimeData()->hasText()) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void TextDragList::dropEvent(QDropEvent* event) {
  event->setDropAction(Qt::CopyAction);
  event->accept();
  if (onDrop) onDrop(event->mimeData());
}

}  // namespace listread
