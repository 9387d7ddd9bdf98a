#pragma once
/// The plot window: the samples of a trend request over time, a second request's beside them
/// for comparison, saved as a PNG or SVG picture. It opens from the main window's Plot button
/// and stays open beside it.
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "SaveAs.h"

class QLabel;
class QPushButton;

namespace logic {
class TrendSamples;
}
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

  frmTrendPlot(ui::Host& host, UnitsOf unitsOf, QWidget* parent = nullptr);
  ~frmTrendPlot() override;

  /// Plots these samples alone, in place of what the window showed.
  void Plot(std::shared_ptr<const logic::TrendSamples> samples);
  /// The samples of the latest trend request, which Add to plot adds; null when it wrote none.
  void OfferTrend(std::shared_ptr<const logic::TrendSamples> samples);

  TrendChart* chart = nullptr;
  TrendChartView* chartView = nullptr;
  QLabel* lblSample = nullptr;  // the sample nearest the pointer
  QPushButton* cmdAddToPlot = nullptr;
  QPushButton* cmdSave = nullptr;

  void cmdAddToPlot_Click();
  void cmdSave_Click();

 private:
  void Add(std::shared_ptr<const logic::TrendSamples> samples);
  void Update();
  QByteArray Picture(const QString& path) const;

  ui::Host& host_;
  UnitsOf unitsOf_;
  std::shared_ptr<const logic::TrendSamples> offered_;
  logic::SaveDialog saveDialog_;
};

}  // namespace plot
