#pragma once
/// Where a sorted list box puts a new entry: case-insensitive order, after every entry that
/// compares equal, so equal names keep the order in which they were added.
#include <QString>

namespace ui {

/// `at(i)` gives entry i of a list of `count` entries that is already in this order.
template <typename At>
int SortedInsertPosition(int count, At&& at, const QString& text) {
  // Names often arrive in order already: then the new one simply goes last.
  if (count == 0 || QString::compare(at(count - 1), text, Qt::CaseInsensitive) <= 0) return count;
  int lo = 0;
  int hi = count - 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (QString::compare(at(mid), text, Qt::CaseInsensitive) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

}  // namespace ui
