#include "PaneTable.h"

#include <algorithm>

#include "DelimitedText.h"

namespace logic {

void PaneTable::Reset(QStringList columns) {
  text_.clear();
  // Gives back the memory of a long request's text, which clear() would keep.
  text_.squeeze();
  columns_ = std::move(columns);
  lineStarts_ = {0};
  rowStarts_.clear();
  firstValues_.clear();
  values_.clear();
  whole_ = false;
  ++resets_;
}

void PaneTable::SetWhole(QString column, QStringView text) {
  Reset({std::move(column)});
  BeginRow();
  AddValue(text, QLatin1StringView());
  whole_ = true;
}

void PaneTable::Append(QStringView text) {
  const qsizetype from = text_.size();
  text_ += text;
  NoteLineStarts(from);
}

void PaneTable::NoteLineStarts(qsizetype from) {
  for (qsizetype at = text_.indexOf(QLatin1Char('\n'), from); at >= 0;
       at = text_.indexOf(QLatin1Char('\n'), at + 1))
    lineStarts_.push_back(at + 1);
}

void PaneTable::BeginRow() {
  rowStarts_.push_back(text_.size());
  firstValues_.push_back(values_.size());
}

void PaneTable::AddValue(QStringView value, QLatin1StringView separator) {
  const qsizetype from = text_.size();
  values_.push_back({static_cast<std::uint32_t>(from - rowStarts_.back()),
                     static_cast<std::uint32_t>(value.size())});
  text_ += value;
  text_ += separator;
  NoteLineStarts(from);
}

QStringView PaneTable::LineText(qsizetype line) const {
  const qsizetype start = lineStarts_[static_cast<std::size_t>(line)];
  const qsizetype end =
      line + 1 < LineCount() ? lineStarts_[static_cast<std::size_t>(line) + 1] - 1 : text_.size();
  return QStringView(text_).mid(start, end - start);
}

qsizetype PaneTable::RowEnd(std::size_t row) const {
  return row + 1 < rowStarts_.size() ? rowStarts_[row + 1] : text_.size();
}

qsizetype PaneTable::LineOf(qsizetype position) const {
  return std::upper_bound(lineStarts_.begin(), lineStarts_.end(), position) - lineStarts_.begin() -
         1;
}

QStringList PaneTable::Values(std::size_t row) const {
  const std::size_t end = row + 1 < firstValues_.size() ? firstValues_[row + 1] : values_.size();
  QStringList values;
  values.reserve(static_cast<qsizetype>(end - firstValues_[row]));
  for (std::size_t v = firstValues_[row]; v < end; ++v)
    values << text_.mid(rowStarts_[row] + values_[v].offset, values_[v].length);
  return values;
}

void PaneTable::AddTable(DelimitedText& out) const {
  if (!columns_.isEmpty()) out.Add(columns_);
  for (std::size_t row = 0; row < rowStarts_.size(); ++row) out.Add(Values(row));
}

void PaneTable::AddTable(const QStringList& header,
                         const std::function<QStringList(const QStringList&)>& layout,
                         DelimitedText& out) const {
  out.Add(header);
  for (std::size_t row = 0; row < rowStarts_.size(); ++row) out.Add(layout(Values(row)));
}

void PaneTable::AddRows(LineRange lines, DelimitedText& out) const {
  // A stretch of text covers the lines from its first character to its last: a line break
  // that ends it ends its last line rather than starting another.
  const auto within = [&](qsizetype start, qsizetype end) {
    return end > start && LineOf(start) <= lines.last && LineOf(end - 1) >= lines.first;
  };
  const qsizetype firstRow = rowStarts_.empty() ? text_.size() : rowStarts_.front();
  if (!columns_.isEmpty() && within(0, firstRow)) out.Add(columns_);
  if (lines.first >= LineCount()) return;
  // The first row that reaches the range, found by where the range starts.
  const qsizetype from = lineStarts_[static_cast<std::size_t>(std::max<qsizetype>(0, lines.first))];
  auto row = static_cast<std::size_t>(std::max<std::ptrdiff_t>(
      0, std::upper_bound(rowStarts_.begin(), rowStarts_.end(), from) - rowStarts_.begin() - 1));
  for (; row < rowStarts_.size() && LineOf(rowStarts_[row]) <= lines.last; ++row)
    if (within(rowStarts_[row], RowEnd(row))) out.Add(Values(row));
}

}  // namespace logic
