#include "TrendChart.h"

#include <QCategoryAxis>
#include <QDateTime>
#include <QGraphicsEllipseItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "CurveItem.h"
#include "PlotSeries.h"
#include "TimeTicks.h"
#include "TrendSamples.h"
#include "WatchHistory.h"

namespace plot {

namespace {

const QColor kColors[TrendChart::kMaxLiveTags] = {
    QColor(0, 90, 180), QColor(200, 80, 0),  QColor(0, 140, 60), QColor(150, 40, 160),
    QColor(180, 0, 40), QColor(0, 150, 160), QColor(120, 90, 0), QColor(90, 90, 90)};
constexpr int kPixelsPerTimeLabel = 120;

bool SameUnits(const std::optional<QString>& a, const std::optional<QString>& b) {
  return a && b && *a == *b;
}

QString TimeText(double ms) {
  const auto whole = static_cast<qint64>(ms);
  return QDateTime::fromMSecsSinceEpoch(whole).toString(
      whole % 1000 == 0 ? QStringLiteral("dd/MM/yyyy HH:mm:ss")
                        : QStringLiteral("dd/MM/yyyy HH:mm:ss.zzz"));
}

// The ends of the range on screen; milliseconds once the range is short enough to need them.
QString ShownText(double ms, double length) {
  return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::round(ms)))
      .toString(length < 10'000 ? QStringLiteral("dd/MM/yyyy HH:mm:ss.zzz")
                                : QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

// The first sample at or after `t`.
std::size_t FirstAtOrAfter(const PlotSeries& s, double t) {
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

class SamplesSeries : public PlotSeries {
 public:
  explicit SamplesSeries(std::shared_ptr<const logic::TrendSamples> samples)
      : samples_(std::move(samples)) {}
  std::size_t size() const override { return samples_->size(); }
  double TimeMs(std::size_t i) const override { return samples_->TimeMs(i); }
  double Value(std::size_t i) const override { return samples_->Value(i); }
  QString Quality(std::size_t i) const override { return samples_->Quality(i); }

 private:
  std::shared_ptr<const logic::TrendSamples> samples_;
};

class HistorySeries : public PlotSeries {
 public:
  HistorySeries(std::shared_ptr<const logic::WatchHistory> history, std::size_t tag)
      : history_(std::move(history)), tag_(history_->Tag(tag)) {}
  std::size_t size() const override { return tag_.size(); }
  double TimeMs(std::size_t i) const override { return tag_.TimeMs(i); }
  double Value(std::size_t i) const override { return tag_.Value(i); }
  std::uint64_t Dropped() const override { return tag_.Dropped(); }

 private:
  std::shared_ptr<const logic::WatchHistory> history_;
  const logic::WatchHistory::Series& tag_;
};

}  // namespace

struct TrendChart::Plotted {
  Plotted(PlotTrend t, std::unique_ptr<PlotSeries> s, QString n)
      : trend(std::move(t)),
        series(std::move(s)),
        name(std::move(n)),
        levels(std::make_unique<MinMaxLevels<PlotSeries>>(*series)) {}

  PlotTrend trend;
  std::unique_ptr<PlotSeries> series;
  QString name;
  std::unique_ptr<MinMaxLevels<PlotSeries>> levels;
  QColor color;
  QValueAxis* axis = nullptr;
  // Stays empty: it gives the trend its entry in the legend, while CurveItem draws.
  QLineSeries* legendLine = nullptr;
  Polylines lines;           // reduced for the range shown
  double low = 0, high = 0;  // values drawn within the range shown
  bool drawn = false;

  QString Label() const {
    return trend.units && !trend.units->isEmpty() ? name + " (" + *trend.units + ")" : name;
  }
};

TrendChart::TrendChart() {
  legend()->setAlignment(Qt::AlignBottom);
  // Ticks at round times need labels where they fall, which a date-time axis, dividing its
  // range evenly, cannot place.
  timeAxis_ = new QCategoryAxis;
  timeAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  addAxis(timeAxis_, Qt::AlignBottom);
  mark_ = new QGraphicsEllipseItem(this);
  mark_->setZValue(100);
  mark_->setPen(QPen(Qt::black, 1.5));
  mark_->setVisible(false);
  curves_ = new CurveItem(this);
  // Decimation works per pixel column: a new width needs a new reduction.
  connect(this, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
    curves_->AreaChanged();
    if (static_cast<int>(area.width()) != drawnColumns_) Redraw();
  });
}

TrendChart::~TrendChart() = default;

bool TrendChart::AddTrend(PlotTrend trend) {
  if (TrendCount() >= kMaxTrends || Live() || !trend.samples || trend.samples->empty())
    return false;
  auto series = std::make_unique<SamplesSeries>(trend.samples);
  const QString name = trend.samples->Trend();
  auto p = std::make_unique<Plotted>(std::move(trend), std::move(series), name);
  const bool ownAxis =
      plotted_.empty() || !SameUnits(plotted_.front()->trend.units, p->trend.units);
  Add(std::move(p), ownAxis);
  ShowAll();
  return true;
}

bool TrendChart::AddLive(std::shared_ptr<const logic::WatchHistory> history, std::size_t tag) {
  if (TrendCount() >= kMaxLiveTags || !history || tag >= history->TagCount() ||
      (history_ && history_ != history) || (!plotted_.empty() && !history_))
    return false;
  history_ = history;
  const QString name = history->TagName(tag);
  Add(std::make_unique<Plotted>(PlotTrend{}, std::make_unique<HistorySeries>(history, tag), name),
      plotted_.empty());
  ShowAll();
  return true;
}

void TrendChart::ShowLatest(double spanMs) {
  liveSpanMs_ = std::max(spanMs, kMinSpanMs);
  ShowAll();
}

void TrendChart::Extend() {
  for (auto& p : plotted_) p->levels->Follow(p->series->Dropped());
  if (following_) FollowData();
  Redraw();
}

void TrendChart::ReplaceTrend(int index, std::shared_ptr<const logic::TrendSamples> samples) {
  if (!samples || samples->empty()) return;
  Plotted& p = *plotted_.at(static_cast<std::size_t>(index));
  p.trend.samples = samples;
  p.series = std::make_unique<SamplesSeries>(std::move(samples));
  p.levels = std::make_unique<MinMaxLevels<PlotSeries>>(*p.series);
  if (following_)
    FollowData();
  else
    shown_ = Confine(shown_, AllTimes());
  Redraw();
}

void TrendChart::Add(std::unique_ptr<Plotted> p, bool ownAxis) {
  p->color = kColors[plotted_.size()];
  if (!ownAxis) {
    p->axis = plotted_.front()->axis;
  } else {
    p->axis = new QValueAxis;
    p->axis->setTitleText(p->trend.units.value_or(QString()));
    addAxis(p->axis, plotted_.empty() ? Qt::AlignLeft : Qt::AlignRight);
  }
  p->legendLine = new QLineSeries;
  p->legendLine->setPen(QPen(p->color, 1.5));
  p->legendLine->setName(p->Label());
  addSeries(p->legendLine);
  p->legendLine->attachAxis(timeAxis_);
  p->legendLine->attachAxis(p->axis);
  plotted_.push_back(std::move(p));
}

void TrendChart::RemoveTrends() {
  removeAllSeries();
  for (QAbstractAxis* axis : axes(Qt::Vertical)) {
    removeAxis(axis);
    delete axis;
  }
  curves_->Show({}, shown_);
  plotted_.clear();
  history_.reset();
  liveSpanMs_ = 0;
  following_ = true;
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

const QString& TrendChart::NameAt(int index) const {
  return plotted_.at(static_cast<std::size_t>(index))->name;
}

const Polylines& TrendChart::Drawn(int index) const {
  return plotted_.at(static_cast<std::size_t>(index))->lines;
}

TimeSpan TrendChart::AllTimes() const {
  TimeSpan all{std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest()};
  for (const auto& p : plotted_) {
    const PlotSeries& s = *p->series;
    if (s.size() == 0) continue;
    all.from = std::min(all.from, s.TimeMs(0));
    all.to = std::max(all.to, s.TimeMs(s.size() - 1));
  }
  // Live, the latest span is there to zoom and pan over while the history is shorter.
  if (Live() && history_->LatestMs() != std::numeric_limits<std::int64_t>::min()) {
    const auto latest = static_cast<double>(history_->LatestMs());
    all = {std::min(all.from, latest - liveSpanMs_), std::max(all.to, latest)};
  }
  return all;
}

void TrendChart::FollowData() {
  const TimeSpan all = AllTimes();
  if (all.from > all.to) return;  // nothing yet
  shown_ = Live() ? TimeSpan{all.to - liveSpanMs_, all.to} : Confine(all, all);
}

void TrendChart::ShowAll() {
  if (plotted_.empty()) return;
  following_ = true;
  valuesByHand_ = false;
  FollowData();
  Redraw();
}

double TrendChart::TimeAt(double x) const {
  const QRectF area = plotArea();
  return shown_.from + (x - area.left()) / area.width() * shown_.Length();
}

void TrendChart::ZoomTime(double x, double factor) {
  if (plotted_.empty() || plotArea().width() <= 0) return;
  following_ = false;
  shown_ = ZoomAround(shown_, TimeAt(x), factor, AllTimes());
  Redraw();
}

void TrendChart::Drag(QPointF delta) {
  const QRectF area = plotArea();
  if (plotted_.empty() || area.width() <= 0 || area.height() <= 0) return;
  following_ = false;
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
  following_ = false;
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
  // A live chart shows nothing before its history's first point.
  if (plotted_.empty() || redrawing_ || !(shown_.Length() > 0)) return;
  redrawing_ = true;
  const int columns = std::max(1, static_cast<int>(plotArea().width()));
  drawnColumns_ = static_cast<int>(plotArea().width());
  pointsDrawn_ = 0;
  std::vector<CurveItem::Curve> curves;
  for (auto& p : plotted_) {
    DrawTrend(*p, shown_, columns);
    curves.push_back({&p->lines, p->color, p->axis});
  }
  ShowTimeAxis();
  if (!valuesByHand_) FitValues();
  curves_->Show(std::move(curves), shown_);
  mark_->setVisible(false);
  redrawing_ = false;
}

void TrendChart::DrawTrend(Plotted& p, TimeSpan span, int columns) {
  p.lines = p.levels->Decimate(span.from, span.to, columns);
  pointsDrawn_ += p.lines.points.size();

  // The value range of what lies within the times shown; the points just outside count
  // only when nothing lies within.
  p.drawn = false;
  for (const bool inside : {true, false}) {
    for (const QPointF& pt : p.lines.points) {
      if (inside && (pt.x() < span.from || pt.x() > span.to)) continue;
      p.low = p.drawn ? std::min(p.low, pt.y()) : pt.y();
      p.high = p.drawn ? std::max(p.high, pt.y()) : pt.y();
      p.drawn = true;
    }
    if (p.drawn) break;
  }
}

void TrendChart::ShowTimeAxis() {
  for (const QString& label : timeAxis_->categoriesLabels()) timeAxis_->remove(label);
  timeAxis_->setStartValue(shown_.from);
  const int most = std::clamp(static_cast<int>(plotArea().width()) / kPixelsPerTimeLabel, 2, 10);
  for (const TimeTick& tick : RoundTimeTicks(shown_.from, shown_.to, most))
    timeAxis_->append(tick.label, tick.ms);
  timeAxis_->setRange(shown_.from, shown_.to);
  UpdateTitle();
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
  if (plotted_.empty()) {
    setTitle(QString());
    return;
  }
  QStringList names;
  QStringList notes{ShownText(shown_.from, shown_.Length()) + QStringLiteral(" to ") +
                    ShownText(shown_.to, shown_.Length())};
  if (Live())
    notes << (following_ ? QStringLiteral("live, the last %1 min").arg(liveSpanMs_ / 60'000)
                         : QStringLiteral("paused: Home returns to live"));
  for (const auto& p : plotted_) {
    names << p->name;
    const std::size_t unreadable = p->trend.samples ? p->trend.samples->UnreadableRows() : 0;
    if (unreadable > 0)
      notes << (plotted_.size() > 1 ? p->name + QStringLiteral(": ") : QString()) +
                   QStringLiteral("%1 rows without a readable time left out").arg(unreadable);
  }
  setTitle(QStringLiteral("<b>%1</b><br/><small>%2</small>")
               .arg(names.join(QStringLiteral(", ")).toHtmlEscaped(),
                    notes.join(QStringLiteral("; ")).toHtmlEscaped()));
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
    const PlotSeries& s = *p->series;
    const std::size_t after = FirstAtOrAfter(s, t);
    for (std::size_t i = after > 0 ? after - 1 : 0; i <= after && i < s.size(); ++i) {
      const double span = p->axis->max() - p->axis->min();
      // A bad sample has no height: it is as near as its time.
      const double y = std::isnan(s.Value(i)) || span <= 0
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
  const PlotSeries& s = *best->series;
  const bool bad = std::isnan(s.Value(bestIndex));
  QString value = bad ? QStringLiteral("no value") : QString::number(s.Value(bestIndex), 'g', 10);
  if (!bad && best->trend.units && !best->trend.units->isEmpty())
    value += QLatin1Char(' ') + *best->trend.units;
  QString text = best->name + QStringLiteral("   ") + TimeText(s.TimeMs(bestIndex)) +
                 QStringLiteral("   ") + value;
  if (!s.Quality(bestIndex).isEmpty()) text += QStringLiteral("   ") + s.Quality(bestIndex);
  return NearSample{text, bestPoint};
}

void TrendChart::MarkSample(std::optional<QPointF> position) {
  mark_->setVisible(position.has_value());
  if (position) mark_->setRect(QRectF(*position - QPointF(4, 4), QSizeF(8, 8)));
}

}  // namespace plot
