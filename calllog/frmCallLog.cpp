#include "frmCallLog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "CallLogModel.h"
#include "DelimitedText.h"
#include "Widgets.h"
#include "WindowAccessibility.h"

namespace calllog {
namespace {

// Widths of the columns that do not stretch, in characters of the window's font.
constexpr int kColumnChars[kColumnCount] = {13, 14, 40, 8, 24, 12, 0};

}  // namespace

frmCallLog::frmCallLog(binding::CallLog& log, ui::Host& host, QWidget* parent)
    : QWidget(parent, Qt::Window),
      log_(log),
      host_(host),
      saveDialog_{QStringLiteral("Save Call Log"),
                  QStringLiteral("CSV file (*.csv)"),
                  {QStringLiteral(".csv")},
                  {}} {
  ui::ExposeAsWindow(this);
  setWindowTitle(QStringLiteral("Call Log"));
  setFont(ui::WindowFont());
  cboOperation = new QComboBox(this);
  cboOperation->addItem(QStringLiteral("All operations"));
  for (std::size_t op = 0; op < binding::kLoggedOpCount; ++op) {
    cboOperation->addItem(QString::fromLatin1(binding::ZnOpName(static_cast<binding::ZnOp>(op))));
  }
  chkFailuresOnly = new QCheckBox(QStringLiteral("Failures only"), this);
  lblCount = new QLabel(this);
  cmdCopy = new QPushButton(QStringLiteral("Copy"), this);
  cmdCopy->setToolTip(QStringLiteral("Copy the selected rows as tab-separated text (Ctrl+C)"));
  cmdSave = new QPushButton(QStringLiteral("Save..."), this);
  cmdSave->setToolTip(QStringLiteral("Save the rows shown as a CSV file (Ctrl+S)"));
  cmdClear = new QPushButton(QStringLiteral("Clear"), this);
  cmdClear->setToolTip(QStringLiteral("Forget every call recorded so far"));

  model = new CallLogModel(log_, this);
  grdCalls = new QTableView(this);
  grdCalls->setModel(model);
  grdCalls->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdCalls->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grdCalls->setWordWrap(false);
  grdCalls->verticalHeader()->hide();
  // One fixed height for every row keeps scrolling through 200,000 rows as cheap as through
  // a screenful.
  grdCalls->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grdCalls->verticalHeader()->setDefaultSectionSize(grdCalls->fontMetrics().height() + 4);
  grdCalls->horizontalHeader()->setStretchLastSection(true);
  const int charWidth = grdCalls->fontMetrics().averageCharWidth();
  for (int column = 0; column < kColumnCount; ++column) {
    if (kColumnChars[column] > 0)
      grdCalls->setColumnWidth(column, kColumnChars[column] * charWidth);
  }

  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(QStringLiteral("Operation:"), this));
  controls->addWidget(cboOperation);
  controls->addWidget(chkFailuresOnly);
  controls->addWidget(lblCount, 1);
  controls->addWidget(cmdCopy);
  controls->addWidget(cmdSave);
  controls->addWidget(cmdClear);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(controls);
  layout->addWidget(grdCalls, 1);
  resize(1000, 480);

  refreshTimer_ = new QTimer(this);
  refreshTimer_->setInterval(kRefreshMs);
  connect(refreshTimer_, &QTimer::timeout, this, &frmCallLog::Refresh);
  connect(cboOperation, &QComboBox::currentIndexChanged, this, &frmCallLog::FilterChanged);
  connect(chkFailuresOnly, &QCheckBox::toggled, this, &frmCallLog::FilterChanged);
  connect(cmdCopy, &QPushButton::clicked, this, &frmCallLog::cmdCopy_Click);
  connect(cmdSave, &QPushButton::clicked, this, &frmCallLog::cmdSave_Click);
  connect(cmdClear, &QPushButton::clicked, this, &frmCallLog::cmdClear_Click);
  connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this,
          &frmCallLog::cmdCopy_Click);
  connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
          &frmCallLog::cmdSave_Click);
  ShowCount();
}

void frmCallLog::FilterChanged() {
  Filter filter;
  if (cboOperation->currentIndex() > 0) {
    filter.op = static_cast<binding::ZnOp>(cboOperation->currentIndex() - 1);
  }
  filter.failuresOnly = chkFailuresOnly->isChecked();
  model->SetFilter(filter);
  grdCalls->scrollToBottom();
  ShowCount();
}

void frmCallLog::Refresh() {
  const QScrollBar* bar = grdCalls->verticalScrollBar();
  const bool followed = bar->value() == bar->maximum();
  if (model->Update() && followed) grdCalls->scrollToBottom();
  ShowCount();
}

void frmCallLog::ShowCount() {
  lblCount->setText(QStringLiteral("%1 of %2 calls").arg(model->rowCount()).arg(log_.size()));
}

void frmCallLog::cmdCopy_Click() {
  QModelIndexList selected = grdCalls->selectionModel()->selectedRows();
  if (selected.isEmpty()) return;
  std::sort(selected.begin(), selected.end());
  logic::DelimitedText tsv = logic::DelimitedText::Tsv();
  for (const QModelIndex& index : selected) {
    if (const auto* record = model->rows().at(static_cast<std::size_t>(index.row()))) {
      tsv.Add(RecordFields(*record));
    }
  }
  QGuiApplication::clipboard()->setText(tsv.text());
}

void frmCallLog::cmdSave_Click() {
  logic::SaveAs(host_, saveDialog_, QStringLiteral("call-log.csv"), [this](const QString&) {
    // The rows as they are once the file is chosen; calls may have run meanwhile.
    Refresh();
    logic::DelimitedText csv = logic::DelimitedText::Csv();
    csv.Add(ColumnTitles());
    const CallLogRows& rows = model->rows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
      if (const auto* record = rows.at(row)) csv.Add(RecordFields(*record));
    }
    return csv.FileBytes();
  });
}

void frmCallLog::cmdClear_Click() {
  log_.Clear();
  Refresh();
}

void frmCallLog::showEvent(QShowEvent* event) {
  Refresh();
  refreshTimer_->start();
  QWidget::showEvent(event);
  // It opens at the newest call, what the user opened it to see. The rows' geometry is final
  // only once the show has been handled.
  QTimer::singleShot(0, grdCalls, &QTableView::scrollToBottom);
}

void frmCallLog::hideEvent(QHideEvent* event) {
  refreshTimer_->stop();
  QWidget::hideEvent(event);
}

}  // namespace calllog
