#include "PaneTable.h"

#include <algorithm>

#include "DelimitedText.h"

namespace logic {

namespace {

qsizetype LineBreaks(const QString& text, qsizetype from, qsizetype to) {
  return QStringView(text).mid(from, to - from).count(QLatin1Char('\n'));
}

}  // namespace

void PaneTable::Reset(QStringList columns) {
  columns_ = std::move(columns);
  rowStarts_.clear();
  firstValues_.clear();
  values_.clear();
  whole_ = false;
}

void PaneTable::SetWhole(QString column, qsizetype length) {
  Reset({std::move(column)});
  whole_ = true;
  rowStarts_.push_back(0);
  firstValues_.push_back(0);
  values_.push_back({0, length});
}

void PaneTable::BeginRow(QString& row, qsizetype at) {
  row.clear();
  rowStarts_.push_back(at);
  firstValues_.push_back(values_.size());
}

void PaneTable::AddValue(QString& row, QStringView value, QLatin1StringView separator) {
  values_.push_back({rowStarts_.back() + row.size(), value.size()});
  row += value;
  row += separator;
}

QStringList PaneTable::Values(const QString& text, std::size_t row) const {
  const std::size_t end = row + 1 < firstValues_.size() ? firstValues_[row + 1] : values_.size();
  QStringList values;
  values.reserve(static_cast<qsizetype>(end - firstValues_[row]));
  for (std::size_t v = firstValues_[row]; v < end; ++v)
    values << text.mid(values_[v].start, values_[v].length);
  return values;
}

std::size_t PaneTable::RowsIn(const QString& text) const {
  return static_cast<std::size_t>(
      std::lower_bound(rowStarts_.begin(), rowStarts_.end(), text.size()) - rowStarts_.begin());
}

void PaneTable::AddTable(const QString& text, DelimitedText& out) const {
  if (!columns_.isEmpty()) out.Add(columns_);
  for (std::size_t row = 0; row < RowsIn(text); ++row) out.Add(Values(text, row));
}

void PaneTable::AddRows(const QString& text, LineRange lines, DelimitedText& out) const {
  const std::size_t rows = RowsIn(text);
  // Each stretch of text covers the lines it starts on and breaks into; a last line break
  // ends its last line rather than starting another.
  qsizetype line = 0;
  const auto covers = [&](qsizetype start, qsizetype end) {
    const qsizetype breaks = LineBreaks(text, start, end);
    const bool ended = end > start && text[end - 1] == QLatin1Char('\n');
    const bool within = line <= lines.last && line + breaks - (ended ? 1 : 0) >= lines.first;
    line += breaks;
    return within;
  };
  // A header line, when the request wrote one before its rows.
  const qsizetype firstRow = rows > 0 ? rowStarts_[0] : text.size();
  if (firstRow > 0 && covers(0, firstRow) && !columns_.isEmpty()) out.Add(columns_);
  for (std::size_t row = 0; row < rows && line <= lines.last; ++row) {
    const qsizetype end = row + 1 < rows ? rowStarts_[row + 1] : text.size();
    if (covers(rowStarts_[row], end)) out.Add(Values(text, row));
  }
}

}  // namespace logic
