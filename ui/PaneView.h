#pragma once
/// Shows the lines of a logic::PaneTable: only the lines on screen are laid out and drawn, so
/// a request of a million rows costs the display nothing per row. Read-only text as a text box
/// shows it: a fixed-pitch font, tab stops, a selection made with the mouse (drag, Shift+click,
/// double-click for a word), Ctrl+A, scrolling by keys and wheel, and Copy and Select All on
/// the context menu.
#include <QAbstractScrollArea>
#include <QString>
#include <cstdint>

class QTextLayout;

namespace logic {
class PaneTable;
}

namespace ui {

/// A place in the shown text: a line, and a position between two characters of it.
struct PanePosition {
  qsizetype line = 0;
  int column = 0;
  friend auto operator<=>(const PanePosition&, const PanePosition&) = default;
};

class PaneView : public QAbstractScrollArea {
 public:
  explicit PaneView(const logic::PaneTable& table, QWidget* parent = nullptr);
  ~PaneView() override;

  /// Shows the lines the table holds now; the selection is dropped when the table started
  /// over.
  void Refresh();
  /// Lines shown: the table's as of the last Refresh.
  qsizetype LineCount() const { return lines_; }

  bool HasSelection() const { return anchor_ != cursor_; }
  PanePosition SelectionStart() const { return std::min(anchor_, cursor_); }
  PanePosition SelectionEnd() const { return std::max(anchor_, cursor_); }
  /// The selected text as shown, lines joined by LF.
  QString SelectedText() const;
  void SelectAll();
  /// Where on the viewport the pane shows the place before `column` of `line`.
  QPoint PointAt(PanePosition position) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  qreal LineHeight() const;
  /// Line `line` laid out in the pane's font and tab stops, ready to draw at (0, 0).
  void LayOut(QTextLayout& layout, qsizetype line) const;
  PanePosition PositionAt(QPoint point) const;
  void UpdateScrollRanges();
  void OfferSelection();

  const logic::PaneTable& table_;
  qsizetype lines_ = 0;
  qsizetype measured_ = 0;  // lines whose width is in widest_
  qreal widest_ = 0;
  std::uint64_t resetsSeen_ = 0;
  PanePosition anchor_;
  PanePosition cursor_;
  bool selecting_ = false;
};

}  // namespace ui
