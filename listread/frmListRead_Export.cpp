// The selected tags and their values as a table: Save... writes them as a CSV file, Ctrl+C
// copies them as tab-separated text for a spreadsheet.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>
#include <numeric>

#include "DelimitedText.h"
#include "ListBoxes.h"
#include "TextDragList.h"
#include "frmListRead.h"

namespace {

// The pairs by position, as a list write sends them; the longer list's extra entries stand
// with an empty partner.
void AddPairs(const frmListRead& w, const std::vector<int>& rows, logic::DelimitedText& out) {
  const auto entry = [](const QListWidget* list, int row) {
    return row < list->count() ? list->item(row)->text() : QString();
  };
  for (int row : rows) out.Add({entry(w.lstTagNames, row), entry(w.lstTagValues, row)});
}

std::vector<int> AllRows(const frmListRead& w) {
  std::vector<int> rows(
      static_cast<std::size_t>(std::max(w.lstTagNames->count(), w.lstTagValues->count())));
  std::iota(rows.begin(), rows.end(), 0);
  return rows;
}

}  // namespace

void frmListRead::ConnectExportCommands() {
  saveLists_ = {QStringLiteral("Save Tag Values"),
                QStringLiteral("CSV file (*.csv)"),
                {QStringLiteral(".csv")},
                {}};
  connect(cmdSave, &QPushButton::clicked, this, &frmListRead::cmdSave_Click);
  connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
          &frmListRead::cmdSave_Click);
  connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this,
          &frmListRead::CopyLists);
}

void frmListRead::cmdSave_Click() {
  logic::DelimitedText csv = logic::DelimitedText::Csv();
  csv.Add({Label1->text(), Label2->text()});
  AddPairs(*this, AllRows(*this), csv);
  logic::SaveAs(host_, saveLists_, QStringLiteral("tag-values.csv"),
                [&csv](const QString&) { return csv.FileBytes(); });
}

void frmListRead::CopyLists() {
  std::vector<int> rows = listread::SelectedRows(lstTagNames);
  const std::vector<int> values = listread::SelectedRows(lstTagValues);
  rows.insert(rows.end(), values.begin(), values.end());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  logic::DelimitedText tsv = logic::DelimitedText::Tsv();
  if (rows.empty()) {
    tsv.Add({Label1->text(), Label2->text()});
    rows = AllRows(*this);
  }
  AddPairs(*this, rows, tsv);
  QGuiApplication::clipboard()->setText(tsv.text());
}
