// The small editor: Add, Set and Clear act on the list whose option button is on.
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>

#include "TextDragList.h"
#include "Widgets.h"
#include "frmListRead.h"

void frmListRead::optLists_Click(int index) {
  TargetList = static_cast<std::int16_t>(index);
}

QListWidget* frmListRead::TargetListBox() const {
  switch (TargetList) {
    case 0:
      return lstAvailable;
    case 1:
      return lstTagNames;
    case 2:
      return lstTagValues;
    default:
      return nullptr;
  }
}

void frmListRead::cmdAdd_Click() {
  QListWidget* target = TargetListBox();
  if (!target) return;
  if (target == lstTagValues)
    target->addItem(txtValue->text());
  else
    ui::AddSorted(target, txtValue->text());
}

void frmListRead::cmdSetValue_Click() {
  QListWidget* target = TargetListBox();
  if (!target) return;
  const int current = target->currentRow();
  if (current < 0 || target->selectionModel()->selectedRows().size() != 1) return;
  target->item(current)->setText(txtValue->text());
}

void frmListRead::cmdClear_Click() {
  if (QListWidget* target = TargetListBox()) target->clear();
}
