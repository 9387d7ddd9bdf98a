#pragma once
/// The curves of a trend chart, painted straight from their reduced points. A Qt Charts line
/// series outlines its whole path for hit testing on every change of range, which at a few
/// thousand points costs several frames; this item only maps and draws.
#include <QColor>
#include <QGraphicsItem>
#include <vector>

#include "MinMaxDecimation.h"
#include "TimeSpan.h"

class QChart;
class QValueAxis;

namespace plot {

class CurveItem : public QGraphicsItem {
 public:
  struct Curve {
    const Polylines* lines = nullptr;  // owned by the chart, alive while shown
    QColor color;
    const QValueAxis* axis = nullptr;
  };

  explicit CurveItem(QChart* chart);

  /// What to draw, and the times the plot area spans.
  void Show(std::vector<Curve> curves, TimeSpan shown);
  /// The plot area moved or changed size.
  void AreaChanged();

  QRectF boundingRect() const override { return area_; }
  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

 private:
  QChart* chart_;
  QRectF area_;
  std::vector<Curve> curves_;
  TimeSpan shown_;
  QPolygonF polygon_;  // kept between paints: its storage is reused
};

}  // namespace plot
