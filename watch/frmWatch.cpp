#include "frmWatch.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStringListModel>
#include <QTableView>
#include <QDateTime>
#include <algorithm>
#include <chrono>

#include "Host.h"
#include "TextValues.h"
#include "WatchTableModel.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTrendPlot.h"

namespace watch {

namespace {

QPushButton* Button(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

frmWatch::frmWatch(binding::basZNAPI& module, ui::Host& host, const QStringList& tagNames,
                   const QStringList& tags)
    : module_(module),
      host_(host),
      saveList_{QStringLiteral("Save Watch List"),
                QStringLiteral("Watch list (*.txt)"),
                {QStringLiteral("txt")},
                {}} {
  BuildControls(tagNames);
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 5 % early
  connect(&timer_, &QTimer::timeout, this, [this] { RunCycle(); });
  AddTags(tags);
}

frmWatch::~frmWatch() = default;

void frmWatch::BuildControls(const QStringList& tagNames) {
  setWindowTitle(QStringLiteral("Watch"));
  setFont(ui::WindowFont());
  setAcceptDrops(true);  // tag names, one per line, as the list window takes them
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);

  auto* tagRow = new QHBoxLayout;
  auto* tagLabel = new QLabel(QStringLiteral("&Tag:"), central);
  cboTag = new QComboBox(central);
  cboTag->setEditable(true);
  // As in the main window: the name is used exactly as typed, the drop-down offers the
  // loaded names, and typing never adds to them.
  cboTag->setCompleter(nullptr);
  cboTag->setInsertPolicy(QComboBox::NoInsert);
  cboTag->setMaxVisibleItems(20);
  cboTag->setModel(new QStringListModel(tagNames, cboTag));
  cboTag->setCurrentIndex(-1);
  cboTag->setMinimumContentsLength(24);
  tagLabel->setBuddy(cboTag);
  cmdAdd = Button(QStringLiteral("Add"), central);
  cmdRemove = Button(QStringLiteral("Remove"), central);
  cmdRemove->setToolTip(QStringLiteral("Stop watching the selected rows (Delete)"));
  tagRow->addWidget(tagLabel);
  tagRow->addWidget(cboTag, 1);
  tagRow->addWidget(cmdAdd);
  tagRow->addWidget(cmdRemove);
  layout->addLayout(tagRow);

  auto* pollRow = new QHBoxLayout;
  auto* intervalLabel = new QLabel(QStringLiteral("&Interval:"), central);
  spnInterval = new QDoubleSpinBox(central);
  spnInterval->setRange(0.1, 3600);
  spnInterval->setDecimals(1);
  spnInterval->setSingleStep(0.1);
  spnInterval->setValue(1);
  spnInterval->setSuffix(QStringLiteral(" s"));
  spnInterval->setAccessibleName(QStringLiteral("Interval"));
  intervalLabel->setBuddy(spnInterval);
  cmdStart = Button(QStringLiteral("Start"), central);
  cmdRecord = Button(QStringLiteral("Record..."), central);
  cmdRecord->setToolTip(QStringLiteral("Record every cycle, or only changes, to a CSV file"));
  pollRow->addWidget(intervalLabel);
  pollRow->addWidget(spnInterval);
  pollRow->addWidget(cmdStart);
  pollRow->addStretch(1);
  cmdPlot = Button(QStringLiteral("&Plot"), central);
  cmdPlot->setToolTip(QStringLiteral("Plot the selected rows (or all) as they are read"));
  spnPlotMinutes = new QSpinBox(central);
  spnPlotMinutes->setRange(1, 24 * 60);
  spnPlotMinutes->setValue(10);
  spnPlotMinutes->setPrefix(QStringLiteral("last "));
  spnPlotMinutes->setSuffix(QStringLiteral(" min"));
  spnPlotMinutes->setAccessibleName(QStringLiteral("Minutes plotted"));
  pollRow->addWidget(cmdPlot);
  pollRow->addWidget(spnPlotMinutes);
  pollRow->addWidget(cmdRecord);
  layout->addLayout(pollRow);

  model_ = new WatchTableModel(this);
  grdTags = new QTableView(central);
  grdTags->setModel(model_);
  grdTags->setAccessibleName(QStringLiteral("Watched tags"));
  grdTags->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdTags->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdTags->verticalHeader()->hide();
  // Fixed row heights and column widths: sizing to contents would measure every row of ten
  // thousand on each change.
  grdTags->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grdTags->verticalHeader()->setDefaultSectionSize(grdTags->fontMetrics().height() + 4);
  grdTags->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grdTags->horizontalHeader()->setStretchLastSection(true);
  const int digit = grdTags->fontMetrics().horizontalAdvance(QLatin1Char('0'));
  for (const auto& [column, digits] :
       {std::pair{WatchTableModel::Tag, 20}, std::pair{WatchTableModel::Value, 14},
        std::pair{WatchTableModel::Changed, 24}, std::pair{WatchTableModel::Changes, 8},
        std::pair{WatchTableModel::Min, 10}, std::pair{WatchTableModel::Max, 10}})
    grdTags->setColumnWidth(column, digits * digit);
  layout->addWidget(grdTags, 1);
  setCentralWidget(central);

  lblStatus = new QLabel(QStringLiteral("Stopped"), this);
  lblStatus->setAccessibleName(QStringLiteral("Status"));
  statusBar()->addWidget(lblStatus, 1);

  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&Open Watch List..."), QKeySequence::Open, this,
                  [this] { mnuOpen_Click(); });
  file->addAction(QStringLiteral("&Save Watch List..."), QKeySequence::Save, this,
                  [this] { mnuSave_Click(); });
  file->addSeparator();
  file->addAction(QStringLiteral("&Close"), QKeySequence::Close, this, [this] { close(); });

  cboTag->setObjectName(QStringLiteral("cboTag"));
  cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
  cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
  spnInterval->setObjectName(QStringLiteral("spnInterval"));
  cmdStart->setObjectName(QStringLiteral("cmdStart"));
  cmdRecord->setObjectName(QStringLiteral("cmdRecord"));
  cmdPlot->setObjectName(QStringLiteral("cmdPlot"));
  spnPlotMinutes->setObjectName(QStringLiteral("spnPlotMinutes"));
  grdTags->setObjectName(QStringLiteral("grdTags"));
  lblStatus->setObjectName(QStringLiteral("lblStatus"));

  connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
  // Enter in the tag box adds the name as typed.
  connect(cboTag->lineEdit(), &QLineEdit::returnPressed, this, [this] { cmdAdd_Click(); });
  connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
  auto* remove = new QAction(grdTags);
  remove->setShortcut(QKeySequence::Delete);
  remove->setShortcutContext(Qt::WidgetShortcut);
  grdTags->addAction(remove);
  connect(remove, &QAction::triggered, this, [this] { cmdRemove_Click(); });
  connect(cmdStart, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
  connect(cmdRecord, &QPushButton::clicked, this, [this] { cmdRecord_Click(); });
  connect(cmdPlot, &QPushButton::clicked, this, [this] { cmdPlot_Click(); });
  // A new interval takes effect at once: the schedule starts again from now.
  connect(spnInterval, &QDoubleSpinBox::valueChanged, this, [this] {
    if (!running()) return;
    Pause();
    Start();
  });
  resize(760, 480);
}

void frmWatch::cmdStart_Click() {
  if (running())
    Pause();
  else
    Start();
}

void frmWatch::Start() {
  if (model_->tags().isEmpty()) {
    lblStatus->setText(QStringLiteral("Add the tags to watch first"));
    return;
  }
  std::vector<std::string> ansi;
  ansi.reserve(static_cast<std::size_t>(model_->tags().size()));
  for (const QString& tag : model_->tags()) ansi.push_back(logic::ToAnsi(tag));
  const auto interval = std::chrono::milliseconds(std::llround(spnInterval->value() * 1000));
  poll_ = std::make_unique<logic::WatchPoll>(module_, std::move(ansi), interval);
  // The plot bridges times without points: the pause is a break in its curves.
  history_->Gap(QDateTime::currentMSecsSinceEpoch());
  cmdStart->setText(QStringLiteral("Pause"));
  timer_.start(0);
}

void frmWatch::Pause() {
  timer_.stop();
  poll_.reset();
  cmdStart->setText(QStringLiteral("Start"));
  QString text = QStringLiteral("Paused after %1 cycles").arg(cycles_);
  if (gaps_ > 0) text += QStringLiteral(" (%1 gaps)").arg(gaps_);
  lblStatus->setText(text);
}

void frmWatch::RunCycle() {
  if (!poll_) return;
  inCycle_ = true;
  const auto started = logic::WatchPoll::Clock::now();
  logic::WatchCycle cycle;
  try {
    cycle = poll_->Run();
  } catch (const std::exception& error) {
    inCycle_ = false;
    Pause();
    host_.MsgBox(QString::fromLocal8Bit(error.what()), ui::kStyleCritical, QStringLiteral("Watch"));
    return;
  }
  model_->Apply(cycle);
  logic::AppendCycle(*history_, cycle);
  for (const QPointer<plot::frmTrendPlot>& plot : plots_)
    if (plot) plot->Extend();
  if (recorder_ && !recorder_->Record(cycle, model_->watched()))
    StopRecording(recorder_->stopReason());
  const auto now = logic::WatchPoll::Clock::now();
  ShowCycle(cycle, std::chrono::duration_cast<std::chrono::milliseconds>(now - started).count());
  inCycle_ = false;
  if (!poll_) return;  // paused by what the cycle showed
  // Scheduled only now that the cycle has returned: a slow one stretches the interval.
  const auto next = poll_->NextDue(started, now);
  timer_.start(static_cast<int>(std::max<std::int64_t>(
      0,
      std::chrono::duration_cast<std::chrono::milliseconds>(next - logic::WatchPoll::Clock::now())
          .count())));
}

void frmWatch::ShowCycle(const logic::WatchCycle& cycle, qint64 ms) {
  ++cycles_;
  const QString at = cycle.time.toString(QStringLiteral("HH:mm:ss"));
  QString text;
  if (cycle.gap) {
    ++gaps_;
    text = QStringLiteral("Gap at %1: %2").arg(at, cycle.reason);
  } else {
    text = QStringLiteral("Cycle %1 at %2: %3 tags from %4 in %5 ms")
               .arg(cycles_)
               .arg(at)
               .arg(model_->tags().size())
               .arg(cycle.server)
               .arg(ms);
  }
  if (gaps_ > 0) text += QStringLiteral(" (%1 gaps)").arg(gaps_);
  if (poll_ && poll_->skipped() > 0)
    text += QStringLiteral(", %1 cycles skipped while the server was slow").arg(poll_->skipped());
  if (recorder_)
    text += QStringLiteral("; recording to ") + recorder_->file();
  else if (!recordingStopped_.isEmpty())
    text += QStringLiteral("; recording stopped: ") + recordingStopped_;
  lblStatus->setText(text);
}

void frmWatch::cmdPlot_Click() {
  if (model_->tags().isEmpty()) {
    lblStatus->setText(QStringLiteral("Add the tags to watch first"));
    return;
  }
  std::vector<std::size_t> tags;
  for (const QModelIndex& row : grdTags->selectionModel()->selectedRows())
    tags.push_back(static_cast<std::size_t>(row.row()));
  std::sort(tags.begin(), tags.end());
  if (tags.empty())
    for (std::size_t tag = 0; tag < history_->TagCount(); ++tag) tags.push_back(tag);
  std::erase_if(plots_, [](const QPointer<plot::frmTrendPlot>& plot) { return plot.isNull(); });
  plots_.emplace_back(
      plot::frmTrendPlot::OpenLive(host_, history_, tags, spnPlotMinutes->value(), this));
}

void frmWatch::closeEvent(QCloseEvent* event) {
  timer_.stop();
  poll_.reset();
  recorder_.reset();
  QMainWindow::closeEvent(event);
}

}  // namespace watch
