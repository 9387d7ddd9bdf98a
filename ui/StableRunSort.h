#pragma once
/// A stable sort that makes use of order already present. Name lists usually come from a
/// server in long ordered stretches with a few strays; a plain stable sort pays n log n for
/// them anyway, while merging the stretches costs little more than one pass.
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <vector>

namespace ui {

template <typename It, typename Less>
void StableRunSort(It first, It last, Less less) {
  using Size = typename std::iterator_traits<It>::difference_type;
  // Short stretches are sorted into blocks of this length first, so random input does not
  // turn into thousands of tiny merges.
  constexpr Size kMinRun = 32;
  struct Run {
    Size start;
    Size length;
  };
  std::vector<Run> runs;
  const auto mergeAt = [&](std::size_t i) {
    Run& left = runs[i];
    const Run& right = runs[i + 1];
    std::inplace_merge(first + left.start, first + right.start, first + right.start + right.length,
                       less);
    left.length += right.length;
    runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(i) + 1);
  };
  const auto length = [&](std::size_t i) { return runs[i].length; };

  const Size n = last - first;
  for (Size start = 0; start < n;) {
    Size end = start + 1;
    while (end < n && !less(first[end], first[end - 1])) ++end;
    if (end - start < kMinRun) {
      end = std::min(n, start + kMinRun);
      std::stable_sort(first + start, first + end, less);
    }
    runs.push_back({start, end - start});
    start = end;
    // Only neighbouring runs are merged, which keeps equal elements in their order. The
    // lengths on the stack must shrink fast towards the top; merging whenever they do not
    // pairs runs of similar size and bounds the work by n log n.
    while (runs.size() > 1) {
      const std::size_t k = runs.size() - 2;
      if ((k > 0 && length(k - 1) <= length(k) + length(k + 1)) ||
          (k > 1 && length(k - 2) <= length(k - 1) + length(k))) {
        mergeAt(length(k - 1) < length(k + 1) ? k - 1 : k);
      } else if (length(k) <= length(k + 1)) {
        mergeAt(k);
      } else {
        break;
      }
    }
  }
  while (runs.size() > 1) mergeAt(runs.size() - 2);
}

}  // namespace ui
