// The result pane as a table: Save... writes it as a CSV file, Ctrl+C copies it as
// tab-separated text for a spreadsheet.
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QShortcut>

#include "DelimitedText.h"
#include "PaneTable.h"
#include "PaneView.h"
#include "Widgets.h"
#include "frmTestConnection.h"

void frmTestConnection::ConnectResultCommands() {
  saveResults_ = {QStringLiteral("Save Requested Data"),
                  QStringLiteral("CSV file (*.csv)"),
                  {QStringLiteral(".csv")},
                  {}};
  connect(cmdSaveResults, &QPushButton::clicked, this, &frmTestConnection::cmdSaveResults_Click);
  connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
          &frmTestConnection::cmdSaveResults_Click);
  connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this,
          &frmTestConnection::CopyResults);
}

logic::PaneTable& frmTestConnection::ResetPaneTable(QStringList columns) {
  logic::PaneTable& table = txtRequestedData->table();
  table.Reset(std::move(columns));
  paneFile_.reset();
  txtRequestedData->Refresh();
  return table;
}

void frmTestConnection::cmdSaveResults_Click() {
  // What the pane holds now, even if a request goes on writing while the dialog is open.
  const logic::PaneTable& table = txtRequestedData->table();
  logic::DelimitedText csv = logic::DelimitedText::Csv();
  QString name = QStringLiteral("requested-data.csv");
  if (paneFile_ && paneFile_->header) {
    table.AddTable(paneFile_->header(), paneFile_->row, csv);
  } else {
    table.AddTable(csv);
  }
  if (paneFile_) name = paneFile_->name;
  logic::SaveAs(host(), saveResults_, name, [&csv](const QString&) { return csv.FileBytes(); });
}

void frmTestConnection::CopyResults() {
  const logic::PaneTable& table = txtRequestedData->table();
  const ui::PaneView& view = *txtRequestedData->view();
  logic::DelimitedText tsv = logic::DelimitedText::Tsv();
  QString copied;
  if (!view.HasSelection()) {
    table.AddTable(tsv);
    copied = tsv.text();
  } else {
    const ui::PanePosition first = view.SelectionStart(), last = view.SelectionEnd();
    // A selection that ends at the start of a line does not take that line.
    const qsizetype lastLine = last.line - (last.column == 0 ? 1 : 0);
    if (first.line == last.line || table.whole()) {
      copied = view.SelectedText();  // part of a line: as it is
    } else {
      table.AddRows({first.line, lastLine}, tsv);
      copied = tsv.text();
    }
  }
  QGuiApplication::clipboard()->setText(copied);
}
