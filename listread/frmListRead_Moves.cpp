// Moving tags between the available and the selected list, and the double-click handlers.
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QListWidget>
#include <exception>

#include "Host.h"
#include "ListBoxes.h"
#include "TextDragList.h"
#include "Widgets.h"
#include "frmListRead.h"

namespace {

// Moves the selected entries, from the last to the first as they are added.
void MoveSelected(QListWidget* source, QListWidget* destination) {
  const std::vector<int> rows = listread::SelectedRows(source);
  if (rows.empty()) return;
  QStringList moved;
  moved.reserve(static_cast<qsizetype>(rows.size()));
  for (auto row = rows.rbegin(); row != rows.rend(); ++row)
    moved.append(source->item(*row)->text());
  listread::AddSortedEntries(destination, moved);
  listread::RemoveRows(source, rows);
}

void MoveAll(QListWidget* source, QListWidget* destination) {
  if (source->count() == 0) return;
  QStringList moved = listread::EntryTexts(source);
  std::reverse(moved.begin(), moved.end());
  listread::AddSortedEntries(destination, moved);
  source->clear();
}

// Selects entry `row` of `list` and unselects its others below `limit`; rows the list does
// not have are left alone.
void HighlightOnly(QListWidget* list, int row, int limit) {
  const int last = std::min(limit, list->count()) - 1;
  if (last < 0) return;
  QItemSelectionModel* selection = list->selectionModel();
  QAbstractItemModel* model = list->model();
  selection->select(QItemSelection(model->index(0, 0), model->index(last, 0)),
                    QItemSelectionModel::Deselect);
  if (row >= 0 && row <= last) selection->select(model->index(row, 0), QItemSelectionModel::Select);
}

}  // namespace

void frmListRead::cmdSelect_Click(int index) {
  try {
    host_.SetPointer(ui::kPointerHourglass);
    switch (index) {
      case 0:
        MoveSelected(lstAvailable, lstTagNames);
        break;
      case 1:
        MoveAll(lstAvailable, lstTagNames);
        break;
      case 2:
        MoveSelected(lstTagNames, lstAvailable);
        break;
      case 3:
        MoveAll(lstTagNames, lstAvailable);
        break;
      default:
        break;
    }
  } catch (const std::exception& e) {
    host_.MsgBox(QString::fromLocal8Bit(e.what()), ui::kStyleNone);
  }
  host_.SetPointer(ui::kPointerDefault);
  ShowCount(0, lstAvailable->count());
  ShowCount(1, lstTagNames->count());
}

void frmListRead::lstAvailable_DblClick() {
  const int current = lstAvailable->currentRow();
  if (current < 0 || lstAvailable->selectionModel()->selectedRows().size() != 1) return;
  ui::AddSorted(lstTagNames, lstAvailable->item(current)->text());
  delete lstAvailable->takeItem(current);
}

void frmListRead::lstTagNames_DblClick() {
  const QListWidgetItem* current = lstTagNames->currentItem();
  if (!current || current->text().isEmpty()) return;
  HighlightOnly(lstTagValues, lstTagNames->currentRow(), lstTagNames->count());
}

void frmListRead::lstTagValues_DblClick() {
  const QListWidgetItem* current = lstTagValues->currentItem();
  if (!current || current->text().isEmpty()) return;
  HighlightOnly(lstTagNames, lstTagValues->currentRow(), lstTagValues->count());
}
