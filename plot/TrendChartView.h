#pragma once
/// The view of a trend chart and what the mouse does in it: the wheel zooms in time around the
/// pointer, dragging moves along, a band drawn with the right button (or Shift and the left)
/// zooms to a region, and the sample nearest the pointer is named.
#include <QChartView>
#include <QPoint>
#include <functional>

class QRubberBand;

namespace plot {

class TrendChart;

class TrendChartView : public QChartView {
 public:
  explicit TrendChartView(TrendChart* chart, QWidget* parent = nullptr);

  /// Called with the text of the sample nearest the pointer, or an empty text.
  std::function<void(const QString&)> onHover;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  enum class Gesture { None, Drag, Band };

  QPointF ChartPoint(QPoint viewPoint) const;
  void Hover(QPoint viewPoint);

  TrendChart* chart_;
  QRubberBand* band_ = nullptr;
  Gesture gesture_ = Gesture::None;
  QPoint pressed_;
  QPoint last_;
};

}  // namespace plot
