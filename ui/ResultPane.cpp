#include <QEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>

#include "Widgets.h"

namespace ui {

namespace {

// Often enough to look live, seldom enough that redrawing costs little next to the rows.
constexpr std::chrono::milliseconds kRefreshInterval{50};

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
// as a stray glyph.
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
  text_ = text;
  shown_ = 0;
  view_->clear();
  queueFlush();
}

void ResultPane::append(const QString& piece) {
  text_ += piece;
  queueFlush();
}

void ResultPane::queueFlush() {
  // One pending flush covers any number of appends.
  if (flushQueued_) return;
  flushQueued_ = true;
  QTimer::singleShot(kRefreshInterval, this, [this] {
    flushQueued_ = false;
    flush();
  });
}

void ResultPane::flush() {
  if (shown_ >= text_.size()) return;
  QTextCursor cursor(view_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(DisplayText(QStringView(text_).mid(shown_)));
  shown_ = text_.size();
}

bool ResultPane::event(QEvent* e) {
  if (e->type() == QEvent::Show) flush();
  return QWidget::event(e);
}

}  // namespace ui
