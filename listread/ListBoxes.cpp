#include "ListBoxes.h"

#include <QItemSelection>
#include <QItemSelectionModel>
#include <QListWidget>
#include <algorithm>

#include "SortedMerge.h"
#include "Widgets.h"

namespace listread {

namespace {

// Below this many additions inserting one by one costs less than rebuilding the list.
constexpr qsizetype kBulkThreshold = 16;

// Consecutive rows become one selection range, so restoring a large selection stays cheap.
QItemSelection RangesOf(const QAbstractItemModel* model, const std::vector<int>& rows) {
  QItemSelection selection;
  std::size_t i = 0;
  while (i < rows.size()) {
    std::size_t j = i;
    while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
    selection.select(model->index(rows[i], 0), model->index(rows[j], 0));
    i = j + 1;
  }
  return selection;
}

}  // namespace

QStringList EntryTexts(const QListWidget* list) {
  QStringList texts;
  texts.reserve(list->count());
  for (int i = 0; i < list->count(); ++i) texts.append(list->item(i)->text());
  return texts;
}

std::vector<int> SelectedRows(const QListWidget* list) {
  std::vector<int> rows;
  const QModelIndexList indexes = list->selectionModel()->selectedRows();
  rows.reserve(static_cast<std::size_t>(indexes.size()));
  for (const QModelIndex& index : indexes) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void AddSortedEntries(QListWidget* list, const QStringList& entries) {
  if (entries.isEmpty()) return;
  const QStringList existing = EntryTexts(list);
  // A replaced text can leave the list out of order; then only one-by-one insertion gives
  // the places the user would get.
  if (entries.size() < kBulkThreshold || !listread::IsInSortedOrder(existing)) {
    for (const QString& entry : entries) ui::AddSorted(list, entry);
    return;
  }
  const std::vector<int> selected = SelectedRows(list);
  const int current = list->currentRow();
  const listread::SortedMergeResult merged = listread::MergeSorted(existing, entries);

  list->setUpdatesEnabled(false);
  list->clear();
  list->addItems(merged.entries);
  QItemSelectionModel* selection = list->selectionModel();
  std::vector<int> newSelected;
  newSelected.reserve(selected.size());
  for (int row : selected) newSelected.push_back(merged.movedRows[static_cast<std::size_t>(row)]);
  // The merge keeps existing entries in their order, so the new rows are still ascending.
  if (!newSelected.empty())
    selection->select(RangesOf(list->model(), newSelected), QItemSelectionModel::Select);
  if (current >= 0)
    selection->setCurrentIndex(
        list->model()->index(merged.movedRows[static_cast<std::size_t>(current)], 0),
        QItemSelectionModel::NoUpdate);
  list->setUpdatesEnabled(true);
}

void RemoveRows(QListWidget* list, const std::vector<int>& ascendingRows) {
  // Whole runs go at once, from the end so the rows still to remove keep their numbers.
  std::size_t end = ascendingRows.size();
  while (end > 0) {
    std::size_t first = end - 1;
    while (first > 0 && ascendingRows[first - 1] == ascendingRows[first] - 1) --first;
    list->model()->removeRows(ascendingRows[first], static_cast<int>(end - first));
    end = first;
  }
}

}  // namespace listread
