#pragma once
// A list window over the scripted library and host, with helpers to read and select entries.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <memory>

#include "FakeHost.h"
#include "FakeZnApi.h"
#include "SortedInsert.h"
#include "TextDragList.h"
#include "basZNAPI.h"
#include "frmListRead.h"

namespace listread_test {

inline QStringList Texts(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out.append(list->item(i)->text());
  return out;
}

inline void Fill(QListWidget* list, const QStringList& entries) {
  list->clear();
  list->addItems(entries);
}

/// Selects exactly these rows; the last one becomes the current entry.
inline void Select(QListWidget* list, std::initializer_list<int> rows) {
  list->clearSelection();
  for (int row : rows) list->setCurrentRow(row, QItemSelectionModel::Select);
}

inline std::vector<int> SelectedRowsOf(const QListWidget* list) {
  std::vector<int> rows;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->isSelected()) rows.push_back(i);
  return rows;
}

/// The reference order: one name at a time at its sorted place, as a list box adds it.
inline QStringList InsertOneByOne(QStringList list, const QStringList& added) {
  for (const QString& name : added)
    list.insert(ui::SortedInsertPosition(
                    static_cast<int>(list.size()), [&](int i) { return list[i]; }, name),
                name);
  return list;
}

using Strings = std::vector<std::string>;

class ListWindow : public ::testing::Test {
 protected:
  fake::FakeZnApi api;
  binding::basZNAPI module{api};
  fake::FakeHost host;
  QLabel status{QStringLiteral("Status:")};
  std::unique_ptr<frmListRead> window = std::make_unique<frmListRead>(module, host, &status);
  fake::Server& local = api.server("");  // the local server answers unless told otherwise
};

}  // namespace listread_test
