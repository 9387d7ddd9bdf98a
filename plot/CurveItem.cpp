#include "CurveItem.h"

#include <QChart>
#include <QPainter>
#include <QValueAxis>

namespace plot {

namespace {
constexpr double kDotRadius = 2.5;  // a sample between gaps has no line: a dot shows it
}  // namespace

CurveItem::CurveItem(QChart* chart) : QGraphicsItem(chart), chart_(chart) {
  // Above the grid, below the marker of the sample hovered over.
  setZValue(50);
  area_ = chart_->plotArea();
}

void CurveItem::Show(std::vector<Curve> curves, TimeSpan shown) {
  curves_ = std::move(curves);
  shown_ = shown;
  update();
}

void CurveItem::AreaChanged() {
  prepareGeometryChange();
  area_ = chart_->plotArea();
  update();
}

void CurveItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  if (shown_.Length() <= 0 || area_.isEmpty()) return;
  painter->setClipRect(area_.toAlignedRect());
  painter->setRenderHint(QPainter::Antialiasing);
  const double xScale = area_.width() / shown_.Length();
  for (const Curve& curve : curves_) {
    const double span = curve.axis->max() - curve.axis->min();
    if (span <= 0) continue;
    const double yScale = area_.height() / span;
    const auto at = [&](const QPointF& p) {
      return QPointF(area_.left() + (p.x() - shown_.from) * xScale,
                     area_.top() + (curve.axis->max() - p.y()) * yScale);
    };
    // A hairline: a wider pen is outlined and filled, and the outline of a curve that runs
    // up and down each pixel column crosses itself thousands of times, a second's work.
    QPen pen(curve.color, 1);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(curve.color);
    const Polylines& lines = *curve.lines;
    for (std::size_t k = 0; k < lines.starts.size(); ++k) {
      const std::size_t begin = lines.starts[k], end = lines.End(k);
      if (end - begin == 1) {
        painter->drawEllipse(at(lines.points[begin]), kDotRadius, kDotRadius);
        continue;
      }
      polygon_.resize(static_cast<qsizetype>(end - begin));
      for (std::size_t i = begin; i < end; ++i)
        polygon_[static_cast<qsizetype>(i - begin)] = at(lines.points[i]);
      painter->drawPolyline(polygon_);
    }
  }
}

}  // namespace plot
