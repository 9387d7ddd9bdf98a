// Text dropped on the selected list or the value list: one entry per CR LF-ended line.
#include <QListWidget>
#include <QMimeData>

#include "ListBoxes.h"
#include "ListTexts.h"
#include "TextDragList.h"
#include "frmListRead.h"

void frmListRead::lstTagNames_OLEDragDrop(const QMimeData* data) {
  if (!data || !data->hasText()) return;
  listread::AddSortedEntries(lstTagNames, listread::DropEntries(data->text()));
  ShowCount(1, lstTagNames->count());
}

void frmListRead::lstTagValues_OLEDragDrop(const QMimeData* data) {
  if (!data || !data->hasText()) return;
  lstTagValues->addItems(listread::DropEntries(data->text()));
}
