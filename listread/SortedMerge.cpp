#include "SortedMerge.h"

#include <algorithm>
#include <numeric>

namespace listread {

namespace {
bool SortsBefore(const QString& a, const QString& b) {
  return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}
}  // namespace

bool IsInSortedOrder(const QStringList& entries) {
  for (qsizetype i = 1; i < entries.size(); ++i)
    if (SortsBefore(entries[i], entries[i - 1])) return false;
  return true;
}

SortedMergeResult MergeSorted(const QStringList& existing, const QStringList& added) {
  // Among equal names the later addition lands after the earlier ones: a stable sort of the
  // additions keeps that, and taking existing entries first on ties puts the additions after
  // the entries that were already there.
  std::vector<qsizetype> order(static_cast<std::size_t>(added.size()));
  std::iota(order.begin(), order.end(), qsizetype{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](qsizetype a, qsizetype b) { return SortsBefore(added[a], added[b]); });

  SortedMergeResult result;
  result.entries.reserve(existing.size() + added.size());
  result.movedRows.reserve(static_cast<std::size_t>(existing.size()));
  qsizetype i = 0;
  std::size_t j = 0;
  while (i < existing.size() || j < order.size()) {
    const bool takeAdded =
        j < order.size() && (i == existing.size() || SortsBefore(added[order[j]], existing[i]));
    if (takeAdded) {
      result.entries.append(added[order[j++]]);
    } else {
      result.movedRows.push_back(static_cast<int>(result.entries.size()));
      result.entries.append(existing[i++]);
    }
  }
  return result;
}

}  // namespace listread
