#pragma once
/// The rows of one search. Some are held in memory (active alarms, a summary); others are
/// produced page by page on demand (the tag table, trend samples), so a search of a million
/// rows costs memory only for the page being sent. Either way rows go straight into the page
/// being encoded.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PageWriter.h"

namespace znsim {

using ResultRow = std::vector<std::string>;

class ResultSet {
 public:
  virtual ~ResultSet() = default;
  virtual const std::vector<std::string>& Columns() const = 0;
  virtual std::uint64_t Total() const = 0;
  /// Writes the rows [offset, offset + count) that exist into `page`, until it is full.
  virtual void Write(std::uint64_t offset, std::uint32_t count, PageWriter& page) const = 0;
  /// True when a page is made from memory alone, never waiting for the disk.
  virtual bool InMemory() const = 0;
};

class MaterialRows final : public ResultSet {
 public:
  MaterialRows(std::vector<std::string> columns, std::vector<ResultRow> rows)
      : columns_(std::move(columns)), rows_(std::move(rows)) {}
  const std::vector<std::string>& Columns() const override { return columns_; }
  std::uint64_t Total() const override { return rows_.size(); }
  void Write(std::uint64_t offset, std::uint32_t count, PageWriter& page) const override;
  bool InMemory() const override { return true; }

 private:
  std::vector<std::string> columns_;
  std::vector<ResultRow> rows_;
};

/// Rows computed by a function of their index range.
class ComputedRows final : public ResultSet {
 public:
  using Producer = std::function<void(std::uint64_t, std::uint32_t, PageWriter&)>;
  enum class Source { Memory, Disk };
  ComputedRows(std::vector<std::string> columns, std::uint64_t total, Source source,
               Producer producer)
      : columns_(std::move(columns)),
        total_(total),
        source_(source),
        producer_(std::move(producer)) {}
  const std::vector<std::string>& Columns() const override { return columns_; }
  std::uint64_t Total() const override { return total_; }
  void Write(std::uint64_t offset, std::uint32_t count, PageWriter& page) const override;
  bool InMemory() const override { return source_ == Source::Memory; }

 private:
  std::vector<std::string> columns_;
  std::uint64_t total_;
  Source source_;
  Producer producer_;
};

/// How many of `count` rows from `offset` exist in a result of `total` rows.
std::uint32_t Available(std::uint64_t total, std::uint64_t offset, std::uint32_t count);

}  // namespace znsim
