#pragma once
/// The chart of the plot window: one or two trends on a shared time axis, each drawn from its
/// samples decimated for the range shown, with one value axis per unit; or, live, a few tags
/// of a watch scrolling as their values arrive.
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
class WatchHistory;
}  // namespace logic

namespace plot {

class CurveItem;
class PlotSeries;

struct PlotTrend {
  std::shared_ptr<const logic::TrendSamples> samples;  // none for a watched tag
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
  static constexpr int kMaxLiveTags = 8;

  TrendChart();
  ~TrendChart() override;

  /// Adds a trend and shows every sample of all trends. The second trend shares the first
  /// one's value axis when both units are known and equal, and gets its own on the right
  /// otherwise. False when the chart is full.
  bool AddTrend(PlotTrend trend);
  /// Puts newer samples of the same request in place of trend `index`'s. What is shown
  /// follows them, unless the user zoomed or panned: then it stays where it was.
  void ReplaceTrend(int index, std::shared_ptr<const logic::TrendSamples> samples);
  /// Follows tag `tag` of a watch's `history`. Live tags share one value axis, their units
  /// being unknown. False when the chart is full.
  bool AddLive(std::shared_ptr<const logic::WatchHistory> history, std::size_t tag);
  /// Makes the chart live: it shows the last `spanMs` up to the history's latest point and
  /// scrolls as Extend brings more, until the user zooms or pans.
  void ShowLatest(double spanMs);
  /// The histories followed have new points, and may have dropped their oldest.
  void Extend();
  void RemoveTrends();
  int TrendCount() const { return static_cast<int>(plotted_.size()); }
  bool Holds(const logic::TrendSamples* samples) const;
  int ValueAxisCount() const;
  const PlotTrend& TrendAt(int index) const;
  /// The trend's or the tag's name.
  const QString& NameAt(int index) const;

  TimeSpan Shown() const { return shown_; }
  /// Whether what is shown follows the data: all of it, or live the latest span. A zoom or a
  /// pan stops it; ShowAll starts it again.
  bool Following() const { return following_; }
  /// The whole of every trend (live: the latest span), values fitted to what is shown.
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

  void Add(std::unique_ptr<Plotted> p, bool ownAxis);
  void Redraw();
  void FollowData();
  void DrawTrend(Plotted& p, TimeSpan span, int columns);
  void FitValues();
  void ShowTimeAxis();
  void UpdateTitle();
  TimeSpan AllTimes() const;
  bool Live() const { return liveSpanMs_ > 0; }
  double TimeAt(double x) const;

  QCategoryAxis* timeAxis_ = nullptr;
  std::vector<std::unique_ptr<Plotted>> plotted_;
  TimeSpan shown_;
  bool following_ = true;
  std::shared_ptr<const logic::WatchHistory> history_;  // of a live chart
  double liveSpanMs_ = 0;
  bool valuesByHand_ = false;
  bool redrawing_ = false;
  int drawnColumns_ = 0;
  std::size_t pointsDrawn_ = 0;
  QGraphicsEllipseItem* mark_ = nullptr;
  CurveItem* curves_ = nullptr;
};

}  // namespace plot
