#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

#include "Widgets.h"

namespace ui {

namespace {

QFont FixedPitchFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                    QStringLiteral("DejaVu Sans Mono")});
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPointSizeF(8.25);
  return font;
}

// The pane keeps CR LF line ends; the display breaks lines at LF alone and would show a CR
// as a stray glyph. A CR LF split between two pieces still ends one line.
QString DisplayText(QStringView piece) {
  QString out = piece.toString();
  out.remove(QLatin1Char('\r'));
  return out;
}

}  // namespace

ResultPane::ResultPane(QWidget* parent) : QWidget(parent), view_(new QPlainTextEdit(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  view_->setReadOnly(true);
  view_->setFont(FixedPitchFont());
  view_->setLineWrapMode(QPlainTextEdit::NoWrap);
  view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // The document is only ever appended to; an undo history would keep a second copy.
  view_->setUndoRedoEnabled(false);
}

void ResultPane::setText(const QString& text) {
  text_.clear();
  view_->clear();
  append(text);
}

void ResultPane::append(const QString& piece) {
  if (piece.isEmpty()) return;
  text_ += piece;
  QTextCursor cursor(view_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(DisplayText(piece));
}

}  // namespace ui
