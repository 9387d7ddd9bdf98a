#pragma once
/// Storage for the many small texts of a large project (a million tag names, units and
/// comments): one allocation per block of texts, no header per text, and a text is one
/// pointer and its length's worth of bytes wherever it is referred to.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace znsim {

class TextPool {
 public:
  TextPool() = default;
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;
  /// Copies `texts` one after another into the pool, where they stay as long as the pool;
  /// returns where the first begins.
  const char* Keep(const std::string_view* texts, std::size_t count);

 private:
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
};

/// N texts kept together in a TextPool, read back by position.
template <std::size_t N>
class PooledTexts {
 public:
  PooledTexts() = default;
  PooledTexts(TextPool& pool, const std::array<std::string_view, N>& texts)
      : at_(pool.Keep(texts.data(), N)) {
    for (std::size_t i = 0; i < N; ++i) lengths_[i] = static_cast<std::uint32_t>(texts[i].size());
  }
  std::string_view operator[](std::size_t index) const {
    std::size_t offset = 0;
    for (std::size_t i = 0; i < index; ++i) offset += lengths_[i];
    return {at_ + offset, lengths_[index]};
  }

 private:
  const char* at_ = "";
  std::array<std::uint32_t, N> lengths_{};
};

}  // namespace znsim
