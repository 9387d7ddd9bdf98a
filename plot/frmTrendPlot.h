#pragma once
/// The plot window: the samples of a trend request over time, a second request's beside them
/// for comparison, asked for again every few seconds if the user wishes, saved as a PNG or SVG
/// picture. It opens from the main window's Plot button and stays open beside it. Opened from
/// a watch, it follows a few of its tags live.
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "SaveAs.h"
#include "TrendRequest.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace logic {
class TrendSamples;
class WatchHistory;
}  // namespace logic
namespace ui {
class Host;
}

namespace plot {

class TrendChart;
class TrendChartView;

class frmTrendPlot : public QWidget {
 public:
  /// The engineering units of a trend, or nothing when they cannot be found out.
  using UnitsOf = std::function<std::optional<QString>(const QString& trend)>;
  /// Makes a trend request again; without one the window offers no updates.
  using RequestTrend = std::function<logic::TrendReply(const logic::TrendRequest&)>;

  frmTrendPlot(ui::Host& host, UnitsOf unitsOf, RequestTrend requestTrend = {},
               QWidget* parent = nullptr);
  ~frmTrendPlot() override;

  /// Opens a window, deleted when closed, that shows the last `minutes` of `tags` of a
  /// watch's `history` (the first TrendChart::kMaxLiveTags of them) and scrolls as the watch
  /// calls Extend after each cycle. A zoom or a pan pauses the scrolling; Home or Live
  /// resumes it.
  static frmTrendPlot* OpenLive(ui::Host& host, std::shared_ptr<const logic::WatchHistory> history,
                                const std::vector<std::size_t>& tags, double minutes,
                                QWidget* parent = nullptr);
  /// The history has new points: the curves take them and scroll, unless paused.
  void Extend();

  /// Plots these samples alone, in place of what the window showed.
  void Plot(std::shared_ptr<const logic::TrendSamples> samples);
  /// The samples of the latest trend request, which Add to plot adds; null when it wrote none.
  void OfferTrend(std::shared_ptr<const logic::TrendSamples> samples);

  TrendChart* chart = nullptr;
  TrendChartView* chartView = nullptr;
  QLabel* lblSample = nullptr;  // the sample nearest the pointer
  QPushButton* cmdAddToPlot = nullptr;
  QPushButton* cmdSave = nullptr;
  QCheckBox* chkUpdate = nullptr;        // "Update every", off until ticked
  QSpinBox* spnUpdateSeconds = nullptr;  // N s
  QLabel* lblUpdateFailure = nullptr;    // why the last update gave no samples
  QPushButton* cmdLive = nullptr;        // live only: scroll with the watch again
  QTimer* UpdateTimer = nullptr;

  void cmdAddToPlot_Click();
  void cmdSave_Click();
  void chkUpdate_Click();
  /// Asks for every trend shown again: the same length of time, ending now.
  void UpdateTimer_Timer();

 private:
  void Add(std::shared_ptr<const logic::TrendSamples> samples);
  void Update();
  QByteArray Picture(const QString& path) const;

  ui::Host& host_;
  UnitsOf unitsOf_;
  RequestTrend requestTrend_;
  std::shared_ptr<const logic::TrendSamples> offered_;
  logic::SaveDialog saveDialog_;
};

}  // namespace plot
