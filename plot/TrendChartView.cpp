#include "TrendChartView.h"

#include <QMouseEvent>
#include <QRubberBand>
#include <QWheelEvent>
#include <cmath>

#include "TrendChart.h"

namespace plot {

namespace {
// One notch of a mouse wheel zooms by a fifth.
constexpr double kZoomPerNotch = 0.8;
constexpr double kEighthsPerNotch = 120;
}  // namespace

TrendChartView::TrendChartView(TrendChart* chart, QWidget* parent)
    : QChartView(chart, parent),
      chart_(chart),
      band_(new QRubberBand(QRubberBand::Rectangle, this)) {
  setRenderHint(QPainter::Antialiasing);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

QPointF TrendChartView::ChartPoint(QPoint viewPoint) const {
  return chart_->mapFromScene(mapToScene(viewPoint));
}

void TrendChartView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / kEighthsPerNotch;
  if (notches == 0) return;
  chart_->ZoomTime(ChartPoint(event->position().toPoint()).x(), std::pow(kZoomPerNotch, notches));
  Hover(event->position().toPoint());
  event->accept();
}

void TrendChartView::mousePressEvent(QMouseEvent* event) {
  const bool band = event->button() == Qt::RightButton ||
                    (event->button() == Qt::LeftButton && event->modifiers() & Qt::ShiftModifier);
  if (!band && event->button() != Qt::LeftButton) return QChartView::mousePressEvent(event);
  gesture_ = band ? Gesture::Band : Gesture::Drag;
  pressed_ = last_ = event->position().toPoint();
  if (band) {
    band_->setGeometry(QRect(pressed_, QSize()));
    band_->show();
  }
  event->accept();
}

void TrendChartView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  switch (gesture_) {
    case Gesture::Drag:
      chart_->Drag(QPointF(at - last_));
      last_ = at;
      break;
    case Gesture::Band:
      band_->setGeometry(QRect(pressed_, at).normalized());
      break;
    case Gesture::None:
      Hover(at);
      break;
  }
  event->accept();
}

void TrendChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (gesture_ == Gesture::Band) {
    band_->hide();
    chart_->ZoomTo(QRectF(ChartPoint(pressed_), ChartPoint(event->position().toPoint())));
  }
  gesture_ = Gesture::None;
  Hover(event->position().toPoint());
  event->accept();
}

void TrendChartView::leaveEvent(QEvent* event) {
  chart_->MarkSample(std::nullopt);
  if (onHover) onHover(QString());
  QChartView::leaveEvent(event);
}

void TrendChartView::Hover(QPoint viewPoint) {
  const auto near = chart_->Nearest(ChartPoint(viewPoint));
  chart_->MarkSample(near ? std::optional(near->position) : std::nullopt);
  if (onHover) onHover(near ? near->text : QString());
}

}  // namespace plot
