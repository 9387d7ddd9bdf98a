#include "PaneView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <cmath>

#include "PaneTable.h"

namespace ui {

namespace {

// As a plain text box lays out its text: a margin around it, a tab stop every 80 pixels.
constexpr qreal kMargin = 4;
constexpr qreal kTabStop = 80;

QString Shown(QStringView written) {
  QString line = written.toString();
  line.remove(QLatin1Char('\r'));
  return line;
}

bool InWord(QChar c) {
  return c.isLetterOrNumber() || c == QLatin1Char('_');
}

}  // namespace

PaneView::PaneView(const logic::PaneTable& table, QWidget* parent)
    : QAbstractScrollArea(parent), table_(table) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setSingleStep(20);
}

PaneView::~PaneView() = default;

qreal PaneView::LineHeight() const {
  return QFontMetricsF(font()).height();
}

void PaneView::LayOut(QTextLayout& layout, qsizetype line) const {
  layout.setText(Shown(table_.LineText(line)));
  layout.setFont(font());
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setTabStopDistance(kTabStop);
  layout.setTextOption(option);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
}

void PaneView::Refresh() {
  if (table_.Resets() != resetsSeen_) {
    resetsSeen_ = table_.Resets();
    anchor_ = cursor_ = {};
    measured_ = 0;
    widest_ = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
  }
  lines_ = table_.LineCount();
  // Laying out every line to find the widest would cost more than the rows themselves; the
  // font has a fixed pitch, so a line's width follows from its characters and tabs. The last
  // line measured may have grown since.
  const qreal advance = QFontMetricsF(font()).horizontalAdvance(QLatin1Char('x'));
  for (qsizetype line = std::max<qsizetype>(0, measured_ - 1); line < lines_; ++line) {
    qreal x = 0;
    for (QChar c : table_.LineText(line)) {
      if (c == QLatin1Char('\t'))
        x = (std::floor(x / kTabStop) + 1) * kTabStop;
      else if (c != QLatin1Char('\r'))
        x += advance;
    }
    widest_ = std::max(widest_, x);
  }
  measured_ = lines_;
  UpdateScrollRanges();
  viewport()->update();
}

void PaneView::UpdateScrollRanges() {
  const int shown = std::max(1, static_cast<int>((viewport()->height() - kMargin) / LineHeight()));
  const auto lines = static_cast<int>(std::min<qsizetype>(lines_, INT_MAX));
  verticalScrollBar()->setRange(0, std::max(0, lines - shown));
  verticalScrollBar()->setPageStep(shown);
  const int width = static_cast<int>(std::ceil(widest_ + 2 * kMargin));
  horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
}

void PaneView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.fillRect(event->rect(), palette().base());
  painter.setPen(palette().text().color());
  const qreal height = LineHeight();
  const qsizetype first = verticalScrollBar()->value();
  const qsizetype last =
      std::min(lines_, first + static_cast<qsizetype>(viewport()->height() / height) + 2);
  const PanePosition from = SelectionStart(), to = SelectionEnd();
  QTextCharFormat selected;
  selected.setBackground(palette().highlight());
  selected.setForeground(palette().highlightedText());
  for (qsizetype line = first; line < last; ++line) {
    QTextLayout layout;
    LayOut(layout, line);
    QList<QTextLayout::FormatRange> selections;
    if (HasSelection() && line >= from.line && line <= to.line) {
      const int start = line == from.line ? from.column : 0;
      const int end = line == to.line ? to.column : static_cast<int>(layout.text().size());
      if (end > start) selections.append({start, end - start, selected});
    }
    layout.draw(&painter,
                QPointF(kMargin - horizontalScrollBar()->value(),
                        kMargin + static_cast<qreal>(line - first) * height),
                selections);
  }
}

void PaneView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollRanges();
}

void PaneView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    measured_ = 0;
    widest_ = 0;
    Refresh();
  }
}

PanePosition PaneView::PositionAt(QPoint point) const {
  if (lines_ == 0) return {};
  const qsizetype line = std::clamp<qsizetype>(
      verticalScrollBar()->value() +
          static_cast<qsizetype>(std::floor((point.y() - kMargin) / LineHeight())),
      0, lines_ - 1);
  QTextLayout layout;
  LayOut(layout, line);
  const qreal x = point.x() - kMargin + horizontalScrollBar()->value();
  return {line, layout.lineAt(0).xToCursor(x)};
}

QPoint PaneView::PointAt(PanePosition position) const {
  QTextLayout layout;
  LayOut(layout, position.line);
  const qreal x =
      layout.lineAt(0).cursorToX(position.column) + kMargin - horizontalScrollBar()->value();
  const qreal y =
      kMargin +
      (static_cast<qreal>(position.line - verticalScrollBar()->value()) + 0.5) * LineHeight();
  return QPointF(x, y).toPoint();
}

QString PaneView::SelectedText() const {
  const PanePosition from = SelectionStart(), to = SelectionEnd();
  QString text;
  for (qsizetype line = from.line; line <= to.line && line < lines_; ++line) {
    const QString shown = Shown(table_.LineText(line));
    const int start = line == from.line ? from.column : 0;
    const int end = line == to.line ? to.column : static_cast<int>(shown.size());
    if (line != from.line) text += QLatin1Char('\n');
    text += QStringView(shown).mid(start, end - start);
  }
  return text;
}

void PaneView::SelectAll() {
  if (lines_ == 0) return;
  anchor_ = {};
  cursor_ = {lines_ - 1, static_cast<int>(Shown(table_.LineText(lines_ - 1)).size())};
  OfferSelection();
  viewport()->update();
}

void PaneView::OfferSelection() {
  // Where the system has a selection clipboard, a selection is pasted with the middle button.
  QClipboard* clipboard = QApplication::clipboard();
  if (HasSelection() && clipboard->supportsSelection())
    clipboard->setText(SelectedText(), QClipboard::Selection);
}

void PaneView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
  } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
  } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
  } else {
    QAbstractScrollArea::keyPressEvent(event);  // arrows and pages scroll
    return;
  }
  event->accept();
}

void PaneView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  cursor_ = PositionAt(event->position().toPoint());
  if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = cursor_;
  selecting_ = true;
  viewport()->update();
}

void PaneView::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_ || !(event->buttons() & Qt::LeftButton)) return;
  // Dragging past an edge scrolls the text under the pointer.
  const QPoint point = event->position().toPoint();
  if (point.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (point.y() > viewport()->height())
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  cursor_ = PositionAt(point);
  viewport()->update();
}

void PaneView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !selecting_) return;
  selecting_ = false;
  OfferSelection();
}

void PaneView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || lines_ == 0) return;
  const PanePosition at = PositionAt(event->position().toPoint());
  const QString shown = Shown(table_.LineText(at.line));
  int start = at.column, end = at.column;
  while (start > 0 && InWord(shown[start - 1])) --start;
  while (end < shown.size() && InWord(shown[end])) ++end;
  anchor_ = {at.line, start};
  cursor_ = {at.line, end};
  OfferSelection();
  viewport()->update();
}

void PaneView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* copy = menu.addAction(tr("&Copy"), this,
                                 [this] { QApplication::clipboard()->setText(SelectedText()); });
  copy->setShortcut(QKeySequence::Copy);
  copy->setEnabled(HasSelection());
  QAction* all = menu.addAction(tr("Select All"), this, &PaneView::SelectAll);
  all->setShortcut(QKeySequence::SelectAll);
  all->setEnabled(lines_ > 0);
  menu.exec(event->globalPos());
}

}  // namespace ui
