#pragma once
/// The rows of one search. Some are held in memory (active alarms, a summary); others are
/// produced page by page on demand (the tag table, trend samples), so a search of a million
/// rows costs memory only for the page being sent.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace znsim {

using ResultRow = std::vector<std::string>;

class ResultSet {
 public:
  virtual ~ResultSet() = default;
  virtual const std::vector<std::string>& Columns() const = 0;
  virtual std::uint64_t Total() const = 0;
  /// Appends the rows [offset, offset + count) that exist to `out`.
  virtual void Rows(std::uint64_t offset, std::uint32_t count,
                    std::vector<ResultRow>& out) const = 0;
};

class MaterialRows final : public ResultSet {
 public:
  MaterialRows(std::vector<std::string> columns, std::vector<ResultRow> rows)
      : columns_(std::move(columns)), rows_(std::move(rows)) {}
  const std::vector<std::string>& Columns() const override { return columns_; }
  std::uint64_t Total() const override { return rows_.size(); }
  void Rows(std::uint64_t offset, std::uint32_t count, std::vector<ResultRow>& out) const override;

 private:
  std::vector<std::string> columns_;
  std::vector<ResultRow> rows_;
};

/// Rows computed by a function of their index range.
class ComputedRows final : public ResultSet {
 public:
  using Producer = std::function<void(std::uint64_t, std::uint32_t, std::vector<ResultRow>&)>;
  ComputedRows(std::vector<std::string> columns, std::uint64_t total, Producer producer)
      : columns_(std::move(columns)), total_(total), producer_(std::move(producer)) {}
  const std::vector<std::string>& Columns() const override { return columns_; }
  std::uint64_t Total() const override { return total_; }
  void Rows(std::uint64_t offset, std::uint32_t count, std::vector<ResultRow>& out) const override;

 private:
  std::vector<std::string> columns_;
  std::uint64_t total_;
  Producer producer_;
};

}  // namespace znsim
