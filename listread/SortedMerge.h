#pragma once
/// Adding many names to a sorted list in one step. A sorted list box puts each added name
/// after every entry that compares equal to it (case-insensitive), so equal names keep the
/// order in which they came. Inserting tens of thousands of names one by one costs a shift of
/// the whole list each time; merging gives exactly the same order in n log n.
#include <QStringList>
#include <vector>

namespace listread {

struct SortedMergeResult {
  /// The list after the merge.
  QStringList entries;
  /// For every entry of the list before the merge, its row afterwards.
  std::vector<int> movedRows;
};

/// Whether every entry sorts at or after the one before it (case-insensitive), which is what
/// the merge needs. An entry whose text was replaced in place can break the order.
bool IsInSortedOrder(const QStringList& entries);

/// The list that adding `added`, in this order, one by one at the sorted place (after equal
/// entries) to `existing` would give. `existing` must be in sorted order.
SortedMergeResult MergeSorted(const QStringList& existing, const QStringList& added);

}  // namespace listread
