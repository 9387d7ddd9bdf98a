#include <QPaintEvent>
#include <QPainter>
#include <QStaticText>
#include <QTimer>
#include <algorithm>

#include "Widgets.h"

namespace ui {

namespace {
const QColor kBarColour(0, 0, 192);
constexpr int kBorder = 1;         // pixels of the sunken rim around the drawing area
constexpr int kCaptionIndent = 2;  // pixels between the rim and the caption
// A screen shows about 60 frames a second; a loop that moves the bar thousands of times a
// second gains nothing from repainting it more often.
constexpr int kFrameMs = 16;
}  // namespace

ProgressStrip::ProgressStrip(QWidget* parent) : QWidget(parent) {
  QFont font = WindowFont();
  font.setBold(true);
  setFont(font);
  setContentsMargins(kBorder, kBorder, kBorder, kBorder);
  setAttribute(Qt::WA_OpaquePaintEvent);
  repaintTimer_ = new QTimer(this);
  repaintTimer_->setSingleShot(true);
  connect(repaintTimer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

int ProgressStrip::ScaleWidth() const {
  return PixelsToTwips(contentsRect().width());
}

void ProgressStrip::Clear() {
  barTwips_ = 0;
  caption_.clear();
  captionLayout_.setText(QString());
  ScheduleRepaint();
}

void ProgressStrip::PrintCaption(const QString& caption) {
  // Loops print the same caption once per item; only a new one needs a repaint.
  if (caption == caption_) return;
  caption_ = caption;
  // Laid out once per caption: shaping the text on every step of the bar cost more than
  // drawing the bar itself.
  captionLayout_.setText(caption_);
  captionLayout_.setTextFormat(Qt::PlainText);
  captionLayout_.prepare(QTransform(), font());
  ScheduleRepaint();
}

void ProgressStrip::FillBar(int widthTwips) {
  // Drawing over the old bar never makes it shorter; only Clear does.
  const int shown = TwipsToPixels(barTwips_);
  barTwips_ = std::max(barTwips_, widthTwips);
  // Many items share one pixel of bar: repaint only when the drawn bar grows.
  if (TwipsToPixels(barTwips_) != shown) ScheduleRepaint();
}

void ProgressStrip::ScheduleRepaint() {
  if (repaintTimer_->isActive()) return;
  const qint64 sincePaint = sincePaint_.isValid() ? sincePaint_.elapsed() : kFrameMs;
  if (sincePaint >= kFrameMs)
    update();
  else
    repaintTimer_->start(static_cast<int>(kFrameMs - sincePaint));
}

void ProgressStrip::paintEvent(QPaintEvent*) {
  sincePaint_.start();
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));

  const QRect inner = contentsRect();
  const int barPixels = std::clamp(TwipsToPixels(barTwips_), 0, inner.width());
  const QRect bar(inner.left(), inner.top(), barPixels, inner.height());
  painter.fillRect(bar, kBarColour);

  // Black where the strip is bare, white over the bar: the caption reads at any progress.
  const QSizeF captionSize = captionLayout_.size();
  const QPointF captionAt(inner.left() + kCaptionIndent,
                          inner.top() + (inner.height() - captionSize.height()) / 2.0);
  painter.setPen(Qt::black);
  painter.drawStaticText(captionAt, captionLayout_);
  painter.setClipRect(bar);
  painter.setPen(Qt::white);
  painter.drawStaticText(captionAt, captionLayout_);
}

}  // namespace ui
