#include "TrendChart.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsEllipseItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "MinMaxDecimation.h"
#include "TrendSamples.h"

namespace plot {

namespace {

const QColor kColors[TrendChart::kMaxTrends] = {QColor(0, 90, 180), QColor(200, 80, 0)};
constexpr int kPixelsPerTimeLabel = 120;

bool SameUnits(const std::optional<QString>& a, const std::optional<QString>& b) {
  return a && b && *a == *b;
}

// Labels that stay readable at the range shown: dates for days, seconds for minutes.
QString TimeFormat(double lengthMs) {
  constexpr double kMinute = 60'000, kDay = 86'400'000;
  if (lengthMs >= 3 * kDay) return QStringLiteral("dd/MM/yyyy");
  if (lengthMs >= kDay) return QStringLiteral("dd/MM HH:mm");
  if (lengthMs >= 10 * kMinute) return QStringLiteral("HH:mm");
  if (lengthMs >= 10'000) return QStringLiteral("HH:mm:ss");
  return QStringLiteral("HH:mm:ss.zzz");
}

QString TimeText(double ms) {
  const auto whole = static_cast<qint64>(ms);
  return QDateTime::fromMSecsSinceEpoch(whole).toString(
      whole % 1000 == 0 ? QStringLiteral("dd/MM/yyyy HH:mm:ss")
                        : QStringLiteral("dd/MM/yyyy HH:mm:ss.zzz"));
}

// The first sample at or after `t`.
std::size_t FirstAtOrAfter(const logic::TrendSamples& s, double t) {
  std::size_t first = 0, count = s.size();
  while (count > 0) {
    const std::size_t half = count / 2;
    if (s.TimeMs(first + half) < t) {
      first += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  return first;
}

}  // namespace

struct TrendChart::Plotted {
  PlotTrend trend;
  QColor color;
  QValueAxis* axis = nullptr;
  std::vector<QLineSeries*> lines;  // one per polyline drawn; the first one names the trend
  QScatterSeries* dots = nullptr;   // samples with bad ones on both sides
  double low = 0, high = 0;         // values drawn within the range shown
  bool drawn = false;

  const logic::TrendSamples& samples() const { return *trend.samples; }
  QString Label() const {
    const QString& name = samples().Trend();
    return trend.units && !trend.units->isEmpty() ? name + " (" + *trend.units + ")" : name;
  }
};

TrendChart::TrendChart() {
  legend()->setAlignment(Qt::AlignBottom);
  timeAxis_ = new QDateTimeAxis;
  addAxis(timeAxis_, Qt::AlignBottom);
  mark_ = new QGraphicsEllipseItem(this);
  mark_->setZValue(100);
  mark_->setPen(QPen(Qt::black, 1.5));
  mark_->setVisible(false);
  // Decimation works per pixel column: a new width needs a new reduction.
  connect(this, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
    if (static_cast<int>(area.width()) != drawnColumns_) Redraw();
  });
}

TrendChart::~TrendChart() = default;

bool TrendChart::AddTrend(PlotTrend trend) {
  if (TrendCount() >= kMaxTrends || !trend.samples || trend.samples->empty()) return false;
  auto p = std::make_unique<Plotted>();
  p->trend = std::move(trend);
  p->color = kColors[plotted_.size()];
  if (!plotted_.empty() && SameUnits(plotted_.front()->trend.units, p->trend.units)) {
    p->axis = plotted_.front()->axis;
  } else {
    p->axis = new QValueAxis;
    p->axis->setTitleText(p->trend.units.value_or(QString()));
    addAxis(p->axis, plotted_.empty() ? Qt::AlignLeft : Qt::AlignRight);
  }
  NewLine(*p, true);
  p->dots = new QScatterSeries;
  p->dots->setMarkerSize(5);
  p->dots->setColor(p->color);
  p->dots->setBorderColor(p->color);
  addSeries(p->dots);
  p->dots->attachAxis(timeAxis_);
  p->dots->attachAxis(p->axis);
  legend()->markers(p->dots).constFirst()->setVisible(false);
  plotted_.push_back(std::move(p));
  UpdateTitle();
  ShowAll();
  return true;
}

void TrendChart::RemoveTrends() {
  removeAllSeries();
  for (QAbstractAxis* axis : axes(Qt::Vertical)) {
    removeAxis(axis);
    delete axis;
  }
  plotted_.clear();
  valuesByHand_ = false;
  mark_->setVisible(false);
  UpdateTitle();
}

bool TrendChart::Holds(const logic::TrendSamples* samples) const {
  return std::any_of(plotted_.begin(), plotted_.end(),
                     [&](const auto& p) { return p->trend.samples.get() == samples; });
}

int TrendChart::ValueAxisCount() const {
  return static_cast<int>(axes(Qt::Vertical).size());
}

const PlotTrend& TrendChart::TrendAt(int index) const {
  return plotted_.at(static_cast<std::size_t>(index))->trend;
}

QLineSeries* TrendChart::NewLine(Plotted& p, bool inLegend) {
  auto* line = new QLineSeries;
  line->setPen(QPen(p.color, 1.5));
  line->setName(p.Label());
  addSeries(line);
  line->attachAxis(timeAxis_);
  line->attachAxis(p.axis);
  // One legend entry per trend however many pieces its gaps cut it into.
  if (!inLegend) legend()->markers(line).constFirst()->setVisible(false);
  p.lines.push_back(line);
  return line;
}

TimeSpan TrendChart::AllTimes() const {
  TimeSpan all{std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest()};
  for (const auto& p : plotted_) {
    all.from = std::min(all.from, p->samples().TimeMs(0));
    all.to = std::max(all.to, p->samples().TimeMs(p->samples().size() - 1));
  }
  return all;
}

void TrendChart::ShowAll() {
  if (plotted_.empty()) return;
  shown_ = Confine(AllTimes(), AllTimes());
  valuesByHand_ = false;
  Redraw();
}

double TrendChart::TimeAt(double x) const {
  const QRectF area = plotArea();
  return shown_.from + (x - area.left()) / area.width() * shown_.Length();
}

void TrendChart::ZoomTime(double x, double factor) {
  if (plotted_.empty() || plotArea().width() <= 0) return;
  shown_ = ZoomAround(shown_, TimeAt(x), factor, AllTimes());
  Redraw();
}

void TrendChart::Drag(QPointF delta) {
  const QRectF area = plotArea();
  if (plotted_.empty() || area.width() <= 0 || area.height() <= 0) return;
  shown_ = Pan(shown_, -delta.x() / area.width() * shown_.Length(), AllTimes());
  if (valuesByHand_) {
    for (QAbstractAxis* a : axes(Qt::Vertical)) {
      auto* axis = static_cast<QValueAxis*>(a);
      const double shift = delta.y() / area.height() * (axis->max() - axis->min());
      axis->setRange(axis->min() + shift, axis->max() + shift);
    }
  }
  Redraw();
}

void TrendChart::ZoomTo(QRectF rect) {
  const QRectF area = plotArea();
  rect = rect.normalized().intersected(area);
  // A click, or a band a few pixels wide, is no region.
  if (plotted_.empty() || rect.width() < 4 || rect.height() < 4) return;
  shown_ = Confine({TimeAt(rect.left()), TimeAt(rect.right())}, AllTimes());
  // Before the first range changes: a new range can move the plot area at once, and the
  // redraw that follows must not fit the values again.
  valuesByHand_ = true;
  for (QAbstractAxis* a : axes(Qt::Vertical)) {
    auto* axis = static_cast<QValueAxis*>(a);
    const auto valueAt = [&](double y) {
      return axis->max() - (y - area.top()) / area.height() * (axis->max() - axis->min());
    };
    axis->setRange(valueAt(rect.bottom()), valueAt(rect.top()));
  }
  Redraw();
}

void TrendChart::Redraw() {
  if (plotted_.empty() || redrawing_) return;
  redrawing_ = true;
  const int columns = std::max(1, static_cast<int>(plotArea().width()));
  drawnColumns_ = static_cast<int>(plotArea().width());
  pointsDrawn_ = 0;
  for (auto& p : plotted_) DrawTrend(*p, shown_, columns);
  ShowTimeAxis();
  if (!valuesByHand_) FitValues();
  mark_->setVisible(false);
  redrawing_ = false;
}

void TrendChart::DrawTrend(Plotted& p, TimeSpan span, int columns) {
  const Polylines drawn = DecimateMinMax(p.samples(), span.from, span.to, columns);
  QList<QPointF> alone;
  std::size_t used = 0;
  for (std::size_t k = 0; k < drawn.starts.size(); ++k) {
    const auto begin = drawn.points.begin() + static_cast<std::ptrdiff_t>(drawn.starts[k]);
    const auto end = drawn.points.begin() + static_cast<std::ptrdiff_t>(drawn.End(k));
    if (end - begin == 1) {  // a line needs two points; a sample between gaps is a dot
      alone.append(*begin);
      continue;
    }
    if (used == p.lines.size()) NewLine(p, false);
    p.lines[used++]->replace(QList<QPointF>(begin, end));
  }
  for (std::size_t k = used; k < p.lines.size(); ++k)
    if (p.lines[k]->count() > 0) p.lines[k]->clear();
  p.dots->replace(alone);
  pointsDrawn_ += drawn.points.size();

  // The value range of what lies within the times shown; the points just outside count
  // only when nothing lies within.
  p.drawn = false;
  for (const bool inside : {true, false}) {
    for (const QPointF& pt : drawn.points) {
      if (inside && (pt.x() < span.from || pt.x() > span.to)) continue;
      p.low = p.drawn ? std::min(p.low, pt.y()) : pt.y();
      p.high = p.drawn ? std::max(p.high, pt.y()) : pt.y();
      p.drawn = true;
    }
    if (p.drawn) break;
  }
}

void TrendChart::ShowTimeAxis() {
  timeAxis_->setFormat(TimeFormat(shown_.Length()));
  timeAxis_->setTickCount(
      std::clamp(static_cast<int>(plotArea().width()) / kPixelsPerTimeLabel, 3, 10));
  timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(shown_.from)),
                      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::ceil(shown_.to))));
}

void TrendChart::FitValues() {
  for (QAbstractAxis* a : axes(Qt::Vertical)) {
    auto* axis = static_cast<QValueAxis*>(a);
    bool any = false;
    double low = 0, high = 0;
    for (const auto& p : plotted_) {
      if (p->axis != axis || !p->drawn) continue;
      low = any ? std::min(low, p->low) : p->low;
      high = any ? std::max(high, p->high) : p->high;
      any = true;
    }
    if (!any) continue;  // nothing drawn: keep the values the axis showed
    const double margin = high > low ? (high - low) * 0.05 : std::max(std::abs(low) * 0.05, 1.0);
    axis->setRange(low - margin, high + margin);
    axis->applyNiceNumbers();
  }
}

void TrendChart::UpdateTitle() {
  QStringList names;
  QStringList periods;
  for (const auto& p : plotted_) {
    const logic::TrendSamples& s = p->samples();
    names << s.Trend();
    QString period = s.PeriodStart() + QStringLiteral(" to ") + s.PeriodEnd();
    if (s.UnreadableRows() > 0)
      period +=
          QStringLiteral(" (%1 rows without a readable time left out)").arg(s.UnreadableRows());
    if (plotted_.size() > 1) period = s.Trend() + QStringLiteral(": ") + period;
    periods << period;
  }
  setTitle(names.isEmpty() ? QString()
                           : QStringLiteral("<b>%1</b><br/><small>%2</small>")
                                 .arg(names.join(QStringLiteral(", ")).toHtmlEscaped(),
                                      periods.join(QStringLiteral("; ")).toHtmlEscaped()));
}

std::optional<NearSample> TrendChart::Nearest(QPointF position) const {
  const QRectF area = plotArea();
  if (plotted_.empty() || !area.contains(position) || shown_.Length() <= 0) return std::nullopt;
  const auto xOf = [&](double t) {
    return area.left() + (t - shown_.from) / shown_.Length() * area.width();
  };
  const double t = TimeAt(position.x());
  const Plotted* best = nullptr;
  std::size_t bestIndex = 0;
  QPointF bestPoint;
  double bestDistance = std::numeric_limits<double>::max();
  for (const auto& p : plotted_) {
    const logic::TrendSamples& s = p->samples();
    const std::size_t after = FirstAtOrAfter(s, t);
    for (std::size_t i = after > 0 ? after - 1 : 0; i <= after && i < s.size(); ++i) {
      const double span = p->axis->max() - p->axis->min();
      // A bad sample has no height: it is as near as its time.
      const double y = s.Bad(i) || span <= 0
                           ? position.y()
                           : area.top() + (p->axis->max() - s.Value(i)) / span * area.height();
      const QPointF point(xOf(s.TimeMs(i)), y);
      const double distance = std::hypot(point.x() - position.x(), point.y() - position.y());
      if (distance < bestDistance) {
        best = p.get();
        bestIndex = i;
        bestPoint = point;
        bestDistance = distance;
      }
    }
  }
  if (!best) return std::nullopt;
  const logic::TrendSamples& s = best->samples();
  QString value =
      s.Bad(bestIndex) ? QStringLiteral("no value") : QString::number(s.Value(bestIndex), 'g', 10);
  if (!s.Bad(bestIndex) && best->trend.units && !best->trend.units->isEmpty())
    value += QLatin1Char(' ') + *best->trend.units;
  QString text = s.Trend() + QStringLiteral("   ") + TimeText(s.TimeMs(bestIndex)) +
                 QStringLiteral("   ") + value;
  if (!s.Quality(bestIndex).isEmpty()) text += QStringLiteral("   ") + s.Quality(bestIndex);
  return NearSample{text, bestPoint};
}

void TrendChart::MarkSample(std::optional<QPointF> position) {
  mark_->setVisible(position.has_value());
  if (position) mark_->setRect(QRectF(*position - QPointF(4, 4), QSizeF(8, 8)));
}

}  // namespace plot
