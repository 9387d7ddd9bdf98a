// Plot: the samples that the last trend request kept, in a plot window beside this one.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "Host.h"
#include "SendableText.h"
#include "TrendRequest.h"
#include "TrendSamples.h"
#include "TrendUnits.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"
#include "frmTrendPlot.h"

std::shared_ptr<logic::TrendSamples> frmTestConnection::BeginTrendSamples(
    std::int32_t sampleCount) {
  lastTrend_ = std::make_shared<logic::TrendSamples>(
      cboTagNames[2]->currentText(), RequestStartText, RequestEndText, txtSamplePeriod->text());
  // The count is what was asked for; a server may answer with fewer samples, and a huge
  // request must not take its memory before the first sample arrives.
  constexpr std::int32_t kReserveLimit = 1 << 20;
  lastTrend_->Reserve(static_cast<std::size_t>(std::clamp(sampleCount, 0, kReserveLimit)));
  cmdPlot->setEnabled(false);
  return lastTrend_;
}

void frmTestConnection::EndTrendSamples() {
  lastTrend_->Finish();
  const bool any = !lastTrend_->empty();
  cmdPlot->setEnabled(any);
  if (plotWindow_) plotWindow_->OfferTrend(any ? lastTrend_ : nullptr);
}

plot::frmTrendPlot* frmTestConnection::PlotWindow() const {
  return plotWindow_;
}

void frmTestConnection::cmdPlot_Click() {
  // Finding the units asks the server; a running query keeps the connection to itself.
  if (Busy() || !lastTrend_ || lastTrend_->empty()) return;
  if (!plotWindow_) {
    plotWindow_ = new plot::frmTrendPlot(
        host(), [this](const QString& trend) { return TrendUnits(trend); },
        [this](const logic::TrendRequest& request) { return RepeatTrend(request); }, this);
    plotWindow_->setAttribute(Qt::WA_DeleteOnClose);
  }
  plotWindow_->Plot(lastTrend_);
  plotWindow_->OfferTrend(lastTrend_);
  plotWindow_->show();
  plotWindow_->raise();
  plotWindow_->activateWindow();
}

logic::TrendReply frmTestConnection::RepeatTrend(const logic::TrendRequest& request) {
  // A request of this window lets events run with its find open: another find on the same
  // connection meanwhile would disturb it, so the plot waits for its next turn.
  if (Busy()) return {nullptr, QStringLiteral("a request of the main window is running")};
  if (const auto why = logic::UnsendableText(ConnectionTexts())) return {nullptr, *why};
  return logic::RequestTrend(module(), request, host().Now());
}

std::optional<QString> frmTestConnection::TrendUnits(const QString& trend) {
  if (const auto known = trendUnits_.constFind(trend); known != trendUnits_.cend()) return *known;
  // The plot goes ahead without units when the server cannot tell them, or when a running
  // query has the server (Add to plot can be pressed while this window lets events run).
  if (Busy()) return std::nullopt;
  host().SetPointer(ui::kPointerHourglass);
  std::optional<QString> units;
  try {
    const std::int32_t handle = module().GetConnection();
    if (handle > 0) units = logic::LookUpTrendUnits(module().api(), handle, trend);
  } catch (const std::exception&) {
  }
  host().SetPointer(ui::kPointerDefault);
  if (units) trendUnits_.insert(trend, *units);
  return units;
}
