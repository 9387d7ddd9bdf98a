#include "frmTrendPlot.h"

#include <QBuffer>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSvgGenerator>
#include <QTimer>
#include <QVBoxLayout>

#include "TrendChart.h"
#include "TrendChartView.h"
#include "TrendSamples.h"
#include "WatchHistory.h"
#include "Widgets.h"
#include "WindowAccessibility.h"

namespace plot {

namespace {
constexpr int kUpdateSeconds = 10;  // offered when the box is first ticked
constexpr int kFailureWidth = 280;  // a long reason is cut short; its tip holds it whole
}  // namespace

frmTrendPlot::frmTrendPlot(ui::Host& host, UnitsOf unitsOf, RequestTrend requestTrend,
                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      host_(host),
      unitsOf_(std::move(unitsOf)),
      requestTrend_(std::move(requestTrend)),
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
  chkUpdate = new QCheckBox(QStringLiteral("Update every"), this);
  chkUpdate->setToolTip(
      QStringLiteral("Ask for the same length of time again, ending now, every few seconds"));
  spnUpdateSeconds = new QSpinBox(this);
  spnUpdateSeconds->setRange(1, 3600);
  spnUpdateSeconds->setValue(kUpdateSeconds);
  spnUpdateSeconds->setSuffix(QStringLiteral(" s"));
  lblUpdateFailure = new QLabel(this);
  lblUpdateFailure->setStyleSheet(QStringLiteral("color: #b00000"));
  lblUpdateFailure->setMaximumWidth(kFailureWidth);
  cmdLive = new QPushButton(QStringLiteral("Live"), this);
  cmdLive->setToolTip(QStringLiteral("Scroll with the watch again (Home)"));
  cmdLive->hide();
  // No taller than the buttons, so that the row keeps its height.
  for (QWidget* control : std::initializer_list<QWidget*>{chkUpdate, spnUpdateSeconds})
    control->setMaximumHeight(cmdSave->sizeHint().height());
  UpdateTimer = new QTimer(this);
  // Without a way to ask again there is nothing to update.
  for (QWidget* control :
       std::initializer_list<QWidget*>{chkUpdate, spnUpdateSeconds, lblUpdateFailure})
    control->setVisible(static_cast<bool>(requestTrend_));

  // Between the sample text, which gives up width, and the buttons, which stay where they were.
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblSample, 1);
  buttons->addWidget(lblUpdateFailure);
  buttons->addWidget(chkUpdate);
  buttons->addWidget(spnUpdateSeconds);
  buttons->addWidget(cmdLive);
  buttons->addWidget(cmdAddToPlot);
  buttons->addWidget(cmdSave);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(chartView, 1);
  layout->addLayout(buttons);
  resize(900, 560);

  chartView->onHover = [this](const QString& text) { lblSample->setText(text); };
  connect(cmdAddToPlot, &QPushButton::clicked, this, &frmTrendPlot::cmdAddToPlot_Click);
  connect(cmdSave, &QPushButton::clicked, this, &frmTrendPlot::cmdSave_Click);
  connect(chkUpdate, &QCheckBox::clicked, this, &frmTrendPlot::chkUpdate_Click);
  connect(spnUpdateSeconds, &QSpinBox::valueChanged, this,
          [this](int seconds) { UpdateTimer->setInterval(seconds * 1000); });
  connect(UpdateTimer, &QTimer::timeout, this, &frmTrendPlot::UpdateTimer_Timer);
  connect(cmdLive, &QPushButton::clicked, this, [this] { chart->ShowAll(); });
  connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
          &frmTrendPlot::cmdSave_Click);
  connect(new QShortcut(Qt::Key_Home, this), &QShortcut::activated, this,
          [this] { chart->ShowAll(); });
  Update();
}

frmTrendPlot::~frmTrendPlot() = default;

frmTrendPlot* frmTrendPlot::OpenLive(ui::Host& host,
                                     std::shared_ptr<const logic::WatchHistory> history,
                                     const std::vector<std::size_t>& tags, double minutes,
                                     QWidget* parent) {
  auto* w = new frmTrendPlot(host, {}, {}, parent);
  w->setAttribute(Qt::WA_DeleteOnClose);
  for (std::size_t tag : tags)
    if (!w->chart->AddLive(history, tag)) break;
  w->chart->ShowLatest(minutes * 60'000);
  w->cmdAddToPlot->hide();
  w->cmdLive->show();
  w->Update();
  w->show();
  return w;
}

void frmTrendPlot::Extend() {
  chart->Extend();
}

void frmTrendPlot::chkUpdate_Click() {
  if (chkUpdate->isChecked()) {
    UpdateTimer->start(spnUpdateSeconds->value() * 1000);
  } else {
    UpdateTimer->stop();
    lblUpdateFailure->clear();
  }
}

void frmTrendPlot::UpdateTimer_Timer() {
  if (!requestTrend_) return;
  QStringList failures;
  for (int i = 0; i < chart->TrendCount(); ++i) {
    const auto request = logic::RequestOf(*chart->TrendAt(i).samples);
    if (!request) continue;
    const logic::TrendReply reply = requestTrend_(*request);
    if (reply.samples && !reply.samples->empty()) {
      chart->ReplaceTrend(i, reply.samples);
    } else {
      failures << chart->NameAt(i) + QStringLiteral(": ") +
                      (reply.failure.isEmpty() ? QStringLiteral("no samples") : reply.failure);
    }
  }
  // The updates go on: the next may find the server again.
  const QString failure =
      failures.isEmpty() ? QString()
                         : QStringLiteral("Update failed: ") + failures.join(QStringLiteral("; "));
  lblUpdateFailure->setToolTip(failure);
  lblUpdateFailure->setText(lblUpdateFailure->fontMetrics().elidedText(
      failure, Qt::ElideRight, lblUpdateFailure->maximumWidth()));
  Update();
}

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
  for (int i = 0; i < chart->TrendCount(); ++i) names << chart->NameAt(i);
  const QString title =
      cmdLive->isVisibleTo(this) ? QStringLiteral("Live Plot") : QStringLiteral("Trend Plot");
  setWindowTitle(
      names.isEmpty() ? title : title + QStringLiteral(" - ") + names.join(QStringLiteral(", ")));
  cmdAddToPlot->setEnabled(offered_ && !offered_->empty() &&
                           chart->TrendCount() < TrendChart::kMaxTrends &&
                           !chart->Holds(offered_.get()));
  cmdSave->setEnabled(chart->TrendCount() > 0);
}

void frmTrendPlot::cmdSave_Click() {
  if (chart->TrendCount() == 0) return;
  QStringList names;
  for (int i = 0; i < chart->TrendCount(); ++i) names << chart->NameAt(i);
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
