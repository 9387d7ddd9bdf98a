#include "frmTrendPlot.h"

#include <QBuffer>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSvgGenerator>
#include <QVBoxLayout>

#include "TrendChart.h"
#include "TrendChartView.h"
#include "TrendSamples.h"
#include "Widgets.h"
#include "WindowAccessibility.h"

namespace plot {

frmTrendPlot::frmTrendPlot(ui::Host& host, UnitsOf unitsOf, QWidget* parent)
    : QWidget(parent, Qt::Window),
      host_(host),
      unitsOf_(std::move(unitsOf)),
      saveDialog_{QStringLiteral("Save Plot"),
                  QStringLiteral("PNG image (*.png);;SVG drawing (*.svg)"),
                  {QStringLiteral(".png"), QStringLiteral(".svg")},
                  {}} {
  ui::ExposeAsWindow(this);
  setFont(ui::WindowFont());
  chart = new TrendChart;
  chartView = new TrendChartView(chart, this);
  lblSample = new QLabel(this);
  lblSample->setTextInteractionFlags(Qt::TextSelectableByMouse);
  cmdAddToPlot = new QPushButton(QStringLiteral("Add to plot"), this);
  cmdAddToPlot->setToolTip(QStringLiteral("Add the latest trend request to this plot"));
  cmdSave = new QPushButton(QStringLiteral("Save..."), this);
  cmdSave->setToolTip(QStringLiteral("Save the plot as a PNG or SVG picture (Ctrl+S)"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblSample, 1);
  buttons->addWidget(cmdAddToPlot);
  buttons->addWidget(cmdSave);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(chartView, 1);
  layout->addLayout(buttons);
  resize(900, 560);

  chartView->onHover = [this](const QString& text) { lblSample->setText(text); };
  connect(cmdAddToPlot, &QPushButton::clicked, this, &frmTrendPlot::cmdAddToPlot_Click);
  connect(cmdSave, &QPushButton::clicked, this, &frmTrendPlot::cmdSave_Click);
  connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
          &frmTrendPlot::cmdSave_Click);
  connect(new QShortcut(Qt::Key_Home, this), &QShortcut::activated, this,
          [this] { chart->ShowAll(); });
  Update();
}

frmTrendPlot::~frmTrendPlot() = default;

void frmTrendPlot::Plot(std::shared_ptr<const logic::TrendSamples> samples) {
  chart->RemoveTrends();
  Add(std::move(samples));
}

void frmTrendPlot::OfferTrend(std::shared_ptr<const logic::TrendSamples> samples) {
  offered_ = std::move(samples);
  Update();
}

void frmTrendPlot::cmdAddToPlot_Click() {
  if (cmdAddToPlot->isEnabled()) Add(offered_);
}

void frmTrendPlot::Add(std::shared_ptr<const logic::TrendSamples> samples) {
  if (!samples || samples->empty()) return;
  const QString trend = samples->Trend();
  chart->AddTrend({std::move(samples), unitsOf_ ? unitsOf_(trend) : std::nullopt});
  lblSample->clear();
  Update();
}

void frmTrendPlot::Update() {
  QStringList names;
  for (int i = 0; i < chart->TrendCount(); ++i) names << chart->TrendAt(i).samples->Trend();
  setWindowTitle(names.isEmpty()
                     ? QStringLiteral("Trend Plot")
                     : QStringLiteral("Trend Plot - ") + names.join(QStringLiteral(", ")));
  cmdAddToPlot->setEnabled(offered_ && !offered_->empty() &&
                           chart->TrendCount() < TrendChart::kMaxTrends &&
                           !chart->Holds(offered_.get()));
  cmdSave->setEnabled(chart->TrendCount() > 0);
}

void frmTrendPlot::cmdSave_Click() {
  if (chart->TrendCount() == 0) return;
  QStringList names;
  for (int i = 0; i < chart->TrendCount(); ++i) names << chart->TrendAt(i).samples->Trend();
  logic::SaveAs(host_, saveDialog_, logic::FileNameFrom(names.join(QLatin1Char('_'))) + ".png",
                [this](const QString& path) { return Picture(path); });
}

QByteArray frmTrendPlot::Picture(const QString& path) const {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(chartView->size());
    svg.setViewBox(chartView->rect());
    svg.setTitle(windowTitle());
    QPainter painter(&svg);
    chartView->render(&painter);
  } else {
    // Twice the window's pixels: sharp in a report or on a finer screen than this one.
    constexpr int kScale = 2;
    QImage image(chartView->size() * kScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kScale);
    image.fill(Qt::white);
    QPainter painter(&image);
    chartView->render(&painter);
    painter.end();
    image.save(&buffer, "PNG");
  }
  return bytes;
}

}  // namespace plot
