#pragma once
/// Bulk operations on the list window's list boxes that keep tens of thousands of entries
/// fast: adding at sorted places, removing rows, reading the texts.
#include <QStringList>
#include <vector>

class QListWidget;

namespace listread {

/// The texts of all entries, in row order.
QStringList EntryTexts(const QListWidget* list);

/// Adds `entries`, in this order, each at its sorted place (case-insensitive, after equal
/// entries), exactly as adding them one by one would. Entries already in the list keep their
/// selection, and the current entry stays current.
void AddSortedEntries(QListWidget* list, const QStringList& entries);

/// Removes the rows given in ascending order.
void RemoveRows(QListWidget* list, const std::vector<int>& ascendingRows);

/// The rows of the selected entries, in ascending order.
std::vector<int> SelectedRows(const QListWidget* list);

}  // namespace listread
