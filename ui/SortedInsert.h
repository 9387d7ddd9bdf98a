#pragma once
/// Where a sorted list box puts a new entry: case-insensitive order, after every entry that
/// compares equal, so equal names keep the order in which they were added.
#include <QString>

namespace ui {

/// `at(i)` gives entry i of a list of `count` entries that is already in this order.
template <typename At>
int SortedInsertPosition(int count, At&& at, const QString& text) {
  int lo = 0;
  int hi = count;
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
