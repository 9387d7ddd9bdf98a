// The result pane as a table: Save... writes it as a CSV file, Ctrl+C copies it as
// tab-separated text for a spreadsheet.
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include "DelimitedText.h"
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

void frmTestConnection::cmdSaveResults_Click() {
  // What the pane holds now, even if a request goes on writing while the dialog is open.
  logic::DelimitedText csv = logic::DelimitedText::Csv();
  QString name = QStringLiteral("requested-data.csv");
  if (paneFile_ && paneFile_->header) {
    paneTable_.AddTable(txtRequestedData->text(), paneFile_->header(), paneFile_->row, csv);
  } else {
    paneTable_.AddTable(txtRequestedData->text(), csv);
  }
  if (paneFile_) name = paneFile_->name;
  logic::SaveAs(host(), saveResults_, name, [&csv](const QString&) { return csv.FileBytes(); });
}

void frmTestConnection::CopyResults() {
  const QTextCursor selection = txtRequestedData->view()->textCursor();
  logic::DelimitedText tsv = logic::DelimitedText::Tsv();
  QString copied;
  if (!selection.hasSelection()) {
    paneTable_.AddTable(txtRequestedData->text(), tsv);
    copied = tsv.text();
  } else {
    QTextCursor first = selection, last = selection;
    first.setPosition(selection.selectionStart());
    last.setPosition(selection.selectionEnd());
    // A selection that ends at the start of a line does not take that line.
    const int lastLine = last.blockNumber() - (last.atBlockStart() ? 1 : 0);
    if (first.blockNumber() == last.blockNumber() || paneTable_.whole()) {
      copied = selection.selection().toPlainText();  // part of a line: as it is
    } else {
      paneTable_.AddRows(txtRequestedData->text(), {first.blockNumber(), lastLine}, tsv);
      copied = tsv.text();
    }
  }
  QGuiApplication::clipboard()->setText(copied);
}
