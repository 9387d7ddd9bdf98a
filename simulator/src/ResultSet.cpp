#include "ResultSet.h"

#include <algorithm>

namespace znsim {

std::uint32_t Available(std::uint64_t total, std::uint64_t offset, std::uint32_t count) {
  if (offset >= total) return 0;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(count, total - offset));
}

void MaterialRows::Write(std::uint64_t offset, std::uint32_t count, PageWriter& page) const {
  const std::uint32_t n = Available(rows_.size(), offset, count);
  for (std::uint64_t i = offset; i < offset + n; ++i) {
    if (!page.Row(rows_[i])) return;
  }
}

void ComputedRows::Write(std::uint64_t offset, std::uint32_t count, PageWriter& page) const {
  const std::uint32_t n = Available(total_, offset, count);
  if (n > 0) producer_(offset, n, page);
}

}  // namespace znsim
