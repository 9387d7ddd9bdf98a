#include "TextPool.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace znsim {

namespace {

constexpr std::size_t kBlockBytes = 256 * 1024;

}  // namespace

const char* TextPool::Keep(const std::string_view* texts, std::size_t count) {
  std::size_t size = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (texts[i].size() > std::numeric_limits<std::uint32_t>::max()) {
      throw std::length_error("text too long");
    }
    size += texts[i].size();
  }
  char* at;
  if (size > kBlockBytes / 4) {
    // Large texts get a block of their own; the current one stays in use for small ones.
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    at = blocks_.back().get();
  } else {
    if (size > left_) {
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
      next_ = blocks_.back().get();
      left_ = kBlockBytes;
    }
    at = next_;
    next_ += size;
    left_ -= size;
  }
  char* to = at;
  for (std::size_t i = 0; i < count; ++i) {
    if (!texts[i].empty()) std::memcpy(to, texts[i].data(), texts[i].size());
    to += texts[i].size();
  }
  return at;
}

}  // namespace znsim
