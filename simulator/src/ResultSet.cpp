#include "ResultSet.h"

#include <algorithm>

namespace znsim {

namespace {

std::uint32_t Available(std::uint64_t total, std::uint64_t offset, std::uint32_t count) {
  if (offset >= total) return 0;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(count, total - offset));
}

}  // namespace

void MaterialRows::Rows(std::uint64_t offset, std::uint32_t count,
                        std::vector<ResultRow>& out) const {
  const std::uint32_t n = Available(rows_.size(), offset, count);
  if (n == 0) return;
  out.insert(out.end(), rows_.begin() + static_cast<std::ptrdiff_t>(offset),
             rows_.begin() + static_cast<std::ptrdiff_t>(offset + n));
}

void ComputedRows::Rows(std::uint64_t offset, std::uint32_t count,
                        std::vector<ResultRow>& out) const {
  const std::uint32_t n = Available(total_, offset, count);
  if (n > 0) producer_(offset, n, out);
}

}  // namespace znsim
