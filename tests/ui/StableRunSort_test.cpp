// The run-merging sort must give exactly what a stable sort gives, whatever order the input
// already has: equal keys in their original order.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <utility>
#include <vector>

#include "StableRunSort.h"

namespace {

using Item = std::pair<int, int>;  // key, original position

bool KeyBefore(const Item& a, const Item& b) {
  return a.first < b.first;
}

std::vector<Item> Numbered(const std::vector<int>& keys) {
  std::vector<Item> items;
  for (int i = 0; i < static_cast<int>(keys.size()); ++i) items.emplace_back(keys[i], i);
  return items;
}

TEST(StableRunSort, MatchesStableSortForEveryShapeOfInput) {
  std::mt19937 random(11);
  // Few distinct keys give long stretches of equal elements, where stability shows.
  const auto randomKey = [&] { return static_cast<int>(random() % 50); };
  const std::vector<std::pair<const char*, std::function<std::vector<int>(int)>>> shapes{
      {"random",
       [&](int n) {
         std::vector<int> k(n);
         std::generate(k.begin(), k.end(), randomKey);
         return k;
       }},
      {"ascending",
       [](int n) {
         std::vector<int> k(n);
         for (int i = 0; i < n; ++i) k[i] = i / 3;
         return k;
       }},
      {"descending",
       [](int n) {
         std::vector<int> k(n);
         for (int i = 0; i < n; ++i) k[i] = (n - i) / 3;
         return k;
       }},
      {"strays before an ordered tail",
       [&](int n) {
         std::vector<int> k(n);
         for (int i = 0; i < n; ++i) k[i] = i < n / 20 ? randomKey() : i / 40;
         return k;
       }},
      {"ordered stretches of mixed length", [&](int n) {
         std::vector<int> k;
         while (static_cast<int>(k.size()) < n) {
           const int length = 1 + static_cast<int>(random() % 300);
           const int base = randomKey();
           for (int i = 0; i < length && static_cast<int>(k.size()) < n; ++i)
             k.push_back(base + i / 7);
         }
         return k;
       }}};
  for (const auto& [shape, make] : shapes) {
    for (const int n : {0, 1, 2, 31, 32, 33, 100, 1000, 5000}) {
      std::vector<Item> expected = Numbered(make(n));
      std::vector<Item> sorted = expected;
      std::stable_sort(expected.begin(), expected.end(), KeyBefore);
      ui::StableRunSort(sorted.begin(), sorted.end(), KeyBefore);
      EXPECT_EQ(sorted, expected) << shape << ", " << n << " elements";
    }
  }
}

}  // namespace
