#pragma once
/// The few controls that plain Qt widgets do not offer as the windows need them.
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QStaticText>
#include <QString>
#include <QWidget>
#include <functional>

#include "PaneTable.h"

class QComboBox;
class QListWidget;
class QTimer;

namespace ui {

class PaneView;

/// A label that reports clicks. A double-click is one click, as the platform's labels have it:
/// the release that ends it reports nothing.
class ClickableLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void clicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool endsDoubleClick_ = false;
};

/// The status line: a label whose tooltip says why the operation it reports failed. Whenever
/// its caption is set through SetCaption, it asks `failure` for the reason of the last call
/// that failed since the caption before; an empty answer clears the tip.
class StatusLine : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
  std::function<QString()> failure;
};

/// A single-line text box that reports when it receives the keyboard focus.
class FocusLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  using QLineEdit::QLineEdit;
 signals:
  void gotFocus();

 protected:
  void focusInEvent(QFocusEvent* event) override;
};

/// The progress strip: a caption and a blue bar whose width is given in twips. The bar is
/// never cleared between calls, only by Clear().
class ProgressStrip : public QWidget {
 public:
  explicit ProgressStrip(QWidget* parent = nullptr);
  /// Drawable width in twips (the strip's inner width).
  int ScaleWidth() const;
  void Clear();
  void PrintCaption(const QString& caption);
  /// Widens the bar to `widthTwips` (from the left edge, full inner height).
  void FillBar(int widthTwips);
  int barTwips() const { return barTwips_; }
  const QString& caption() const { return caption_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void ScheduleRepaint();

  int barTwips_ = 0;
  QString caption_;
  QStaticText captionLayout_;
  QElapsedTimer sincePaint_;
  QTimer* repaintTimer_ = nullptr;
};

/// The multi-line result pane: its table holds the text exactly as written (CR LF included)
/// and the rows of the request that wrote it; the view shows the lines the table held at the
/// last Refresh. A query refreshes it in batches (ui::PaneRowWriter), not row by row.
class ResultPane : public QWidget {
 public:
  explicit ResultPane(QWidget* parent = nullptr);
  logic::PaneTable& table() { return table_; }
  const logic::PaneTable& table() const { return table_; }
  const QString& text() const { return table_.text(); }
  void Refresh();
  PaneView* view() const { return view_; }

 private:
  logic::PaneTable table_;
  PaneView* view_ = nullptr;
};

/// The windows' font: the classic 8.25-point sans serif, or a font with its metrics. A second
/// window does not take its owner's font by itself, so each window sets this one.
QFont WindowFont();

/// Sets a label's caption; `fits` labels then size themselves to the text. A StatusLine
/// renews its tooltip with it.
void SetCaption(QLabel* label, const QString& text, bool fits = true);

/// Adds an entry at its place in a sorted list's order (case-insensitive, after equal names).
int AddSorted(QListWidget* list, const QString& text);

/// Places a control from its left, top, width and height in twips (15 per pixel at 96 dpi).
void PlaceTwips(QWidget* widget, int left, int top, int width, int height);
int TwipsToPixels(int twips);
int PixelsToTwips(int pixels);

}  // namespace ui
