// Watch: the selected tags, all of them, handed to a Watch window that the main window opens.
#include <QPushButton>

#include "ListBoxes.h"
#include "TextDragList.h"
#include "frmListRead.h"

void frmListRead::OfferWatch(std::function<void(const QStringList&)> watch) {
  WatchTags = std::move(watch);
  cmdWatch->setVisible(static_cast<bool>(WatchTags));
}

void frmListRead::cmdWatch_Click() {
  if (WatchTags) WatchTags(listread::EntryTexts(lstTagNames));
}
