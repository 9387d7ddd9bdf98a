#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "Widgets.h"

namespace ui {

namespace {
const QColor kBarColour(0, 0, 192);
constexpr int kBorder = 1;         // pixels of the sunken rim around the drawing area
constexpr int kCaptionIndent = 2;  // pixels between the rim and the caption
}  // namespace

ProgressStrip::ProgressStrip(QWidget* parent) : QWidget(parent) {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  font.setBold(true);
  setFont(font);
  setContentsMargins(kBorder, kBorder, kBorder, kBorder);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

int ProgressStrip::ScaleWidth() const {
  return PixelsToTwips(contentsRect().width());
}

void ProgressStrip::Clear() {
  barTwips_ = 0;
  caption_.clear();
  update();
}

void ProgressStrip::PrintCaption(const QString& caption) {
  // Loops print the same caption once per item; only a new one needs a repaint.
  if (caption == caption_) return;
  caption_ = caption;
  update();
}

void ProgressStrip::FillBar(int widthTwips) {
  // Drawing over the old bar never makes it shorter; only Clear does.
  const int shown = TwipsToPixels(barTwips_);
  barTwips_ = std::max(barTwips_, widthTwips);
  // Many items share one pixel of bar: repaint only when the drawn bar grows.
  if (TwipsToPixels(barTwips_) != shown) update();
}

void ProgressStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));

  const QRect inner = contentsRect();
  const int barPixels = std::clamp(TwipsToPixels(barTwips_), 0, inner.width());
  const QRect bar(inner.left(), inner.top(), barPixels, inner.height());
  painter.fillRect(bar, kBarColour);

  // Black where the strip is bare, white over the bar: the caption reads at any progress.
  const QRect textArea = inner.adjusted(kCaptionIndent, 0, 0, 0);
  const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
  painter.setPen(Qt::black);
  painter.drawText(textArea, flags, caption_);
  painter.setClipRect(bar);
  painter.setPen(Qt::white);
  painter.drawText(textArea, flags, caption_);
}

}  // namespace ui
