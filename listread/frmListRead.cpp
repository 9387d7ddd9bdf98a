#include "frmListRead.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

#include "ListBoxes.h"
#include "TextDragList.h"
#include "Widgets.h"

frmListRead::frmListRead(binding::basZNAPI& module, ui::Host& host, QLabel* statusLabel,
                         QWidget* parent)
    : QDialog(parent), module_(module), host_(host), statusLabel_(statusLabel) {
  BuildControls();
  ConnectHandlers();
  Form_Load();
}

frmListRead::~frmListRead() = default;

void frmListRead::ZNAPIHandle(std::int32_t New_hZNAPI) {
  ConnectionHandle = New_hZNAPI;
}

void frmListRead::FillTagNames(const QComboBox* tagNames) {
  // The names are read by index, so the main window's box keeps its entry and its typed text
  // and none of its change handlers run.
  QStringList names;
  if (tagNames) {
    names.reserve(tagNames->count());
    for (int i = 0; i < tagNames->count(); ++i) names.append(tagNames->itemText(i));
  }
  listread::AddSortedEntries(lstAvailable, names);
  ShowCount(0, lstAvailable->count());
  ShowCount(1, 0);
}

void frmListRead::Form_Load() {
  TargetList = 0;
  optLists[0]->setChecked(true);
}

void frmListRead::Form_Unload() {
  lstAvailable->clear();
  lstTagNames->clear();
  lstTagValues->clear();
}

void frmListRead::cmdExit_Click() {
  close();
}

void frmListRead::done(int result) {
  Form_Unload();
  QDialog::done(result);
}

void frmListRead::ShowCount(int index, int count) {
  ui::SetCaption(lblCount[static_cast<std::size_t>(index)],
                 QStringLiteral("Count: ") + QString::number(count));
}

void frmListRead::SetStatus(const QString& text) {
  if (statusLabel_) ui::SetCaption(statusLabel_, text);
}
