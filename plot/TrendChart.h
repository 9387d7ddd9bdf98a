#pragma once
/// The chart of the plot window: one or two trends on a shared time axis, each drawn from its
/// samples decimated for the range shown, with one value axis per unit.
#include <QChart>
#include <QColor>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "MinMaxDecimation.h"
#include "TimeSpan.h"

class QCategoryAxis;
class QGraphicsEllipseItem;
class QValueAxis;

namespace logic {
class TrendSamples;
}

namespace plot {

class CurveItem;

struct PlotTrend {
  std::shared_ptr<const logic::TrendSamples> samples;
  /// The trend's engineering units; nothing when they could not be found out.
  std::optional<QString> units;
};

/// The sample nearest to a point of the chart.
struct NearSample {
  QString text;      // trend, time, value with units, quality
  QPointF position;  // in the chart's coordinates
};

class TrendChart : public QChart {
 public:
  static constexpr int kMaxTrends = 2;

  TrendChart();
  ~TrendChart() override;

  /// Adds a trend and shows every sample of all trends. The second trend shares the first
  /// one's value axis when both units are known and equal, and gets its own on the right
  /// otherwise. False when the chart is full.
  bool AddTrend(PlotTrend trend);
  void RemoveTrends();
  int TrendCount() const { return static_cast<int>(plotted_.size()); }
  bool Holds(const logic::TrendSamples* samples) const;
  int ValueAxisCount() const;
  const PlotTrend& TrendAt(int index) const;

  TimeSpan Shown() const { return shown_; }
  /// The whole of every trend, values fitted to what is shown.
  void ShowAll();
  /// Zooms the time axis by `factor` (below 1 closer) around the time at chart position `x`.
  void ZoomTime(double x, double factor);
  /// Moves what is shown with the mouse: time always, values once they were zoomed by hand.
  void Drag(QPointF delta);
  /// Shows the times and values within `rect` (chart coordinates).
  void ZoomTo(QRectF rect);
  /// The sample nearest to `position` (chart coordinates) within the plot area.
  std::optional<NearSample> Nearest(QPointF position) const;
  /// Marks `position` (chart coordinates) as the sample hovered over, or nothing.
  void MarkSample(std::optional<QPointF> position);
  /// Points drawn for the range shown, over all trends.
  std::size_t PointsDrawn() const { return pointsDrawn_; }
  /// The polylines drawn for trend `index`, in time and value.
  const Polylines& Drawn(int index) const;

 private:
  struct Plotted;

  void Redraw();
  void DrawTrend(Plotted& p, TimeSpan span, int columns);
  void FitValues();
  void ShowTimeAxis();
  void UpdateTitle();
  TimeSpan AllTimes() const;
  double TimeAt(double x) const;

  QCategoryAxis* timeAxis_ = nullptr;
  std::vector<std::unique_ptr<Plotted>> plotted_;
  TimeSpan shown_;
  bool valuesByHand_ = false;
  bool redrawing_ = false;
  int drawnColumns_ = 0;
  std::size_t pointsDrawn_ = 0;
  QGraphicsEllipseItem* mark_ = nullptr;
  CurveItem* curves_ = nullptr;
};

}  // namespace plot
