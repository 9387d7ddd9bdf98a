#include "Widgets.h"

#include <QComboBox>
#include <QCompleter>
#include <QFocusEvent>
#include <QListWidget>
#include <QMouseEvent>

#include "SortedInsert.h"

namespace ui {

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  // A press dragged off the label before release is not a click.
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked();
}

void FocusLineEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  emit gotFocus();
}

void SetCaption(QLabel* label, const QString& text, bool fits) {
  label->setText(text);
  if (fits) label->adjustSize();
}

int AddSorted(QComboBox* box, const QString& text) {
  // An editable box's completer rescans its whole model after every insert unless it knows
  // the model is sorted: 8,000 names took half a minute, growing worse than quadratically.
  // A box filled only through here is in exactly the order the completer then assumes.
  if (QCompleter* completer = box->completer();
      completer && completer->modelSorting() != QCompleter::CaseInsensitivelySortedModel)
    completer->setModelSorting(QCompleter::CaseInsensitivelySortedModel);
  const int at = SortedInsertPosition(
      box->count(), [box](int i) { return box->itemText(i); }, text);
  box->insertItem(at, text);
  return at;
}

int AddSorted(QListWidget* list, const QString& text) {
  const int at = SortedInsertPosition(
      list->count(), [list](int i) { return list->item(i)->text(); }, text);
  list->insertItem(at, text);
  return at;
}

}  // namespace ui
