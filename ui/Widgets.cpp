#include "Widgets.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <utility>

#include "SortedInsert.h"

namespace ui {

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  QLabel::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) endsDoubleClick_ = true;
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const bool second = std::exchange(endsDoubleClick_, false);
  // A press dragged off the label before release is not a click.
  if (!second && rect().contains(event->position().toPoint())) emit clicked();
}

void FocusLineEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  emit gotFocus();
}

QFont WindowFont() {
  QFont font(QStringList{QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                         QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  return font;
}

void SetCaption(QLabel* label, const QString& text, bool fits) {
  label->setText(text);
  if (fits) label->adjustSize();
  if (auto* status = qobject_cast<StatusLine*>(label); status && status->failure) {
    status->setToolTip(status->failure());
  }
}

int AddSorted(QListWidget* list, const QString& text) {
  const int at = SortedInsertPosition(
      list->count(), [list](int i) { return list->item(i)->text(); }, text);
  list->insertItem(at, text);
  return at;
}

}  // namespace ui
