#pragma once
/// The rows a request wrote into the result pane, kept as the values they were made of, so
/// that Save... and copy give every value its own cell however it reads: a tab or a line break
/// inside a value stays inside its cell. No second copy of the text is kept: a value is known
/// by where it stands in the pane's text.
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace logic {

class DelimitedText;

/// Lines of the pane as the display shows them (a line ends at LF), both ends included.
struct LineRange {
  qsizetype first = 0;
  qsizetype last = 0;
};

class PaneTable {
 public:
  /// Starts over for a pane that a request begins to write: `columns` name each row's values,
  /// and every row kept so far is forgotten.
  void Reset(QStringList columns = {});
  /// Names the columns once they are known (a device's fields come with its first record).
  void SetColumns(QStringList columns) { columns_ = std::move(columns); }
  /// The pane holds one value, the answer to `column`, and nothing else.
  void SetWhole(QString column, qsizetype length);
  bool whole() const { return whole_; }

  /// Begins a row whose text will stand at `at` in the pane's text; `row` is emptied to take
  /// it.
  void BeginRow(QString& row, qsizetype at);
  /// Appends `value` and then `separator` to `row`, the text of the row begun last, and keeps
  /// where the value stands.
  void AddValue(QString& row, QStringView value, QLatin1StringView separator);

  /// Adds the column names and every row that `text`, the pane's, holds so far.
  void AddTable(const QString& text, DelimitedText& out) const;
  /// Adds the rows that have a line within `lines`; the column names too when the header line
  /// that the pane shows before the rows is within them.
  void AddRows(const QString& text, LineRange lines, DelimitedText& out) const;

 private:
  struct Span {
    qsizetype start;
    qsizetype length;
  };
  /// The values of row `row`, taken from `text`.
  QStringList Values(const QString& text, std::size_t row) const;
  /// Rows whose text the pane holds: a row reaches the pane whole or not yet at all.
  std::size_t RowsIn(const QString& text) const;

  QStringList columns_;
  std::vector<qsizetype> rowStarts_;
  std::vector<std::size_t> firstValues_;  // each row's first entry in values_
  std::vector<Span> values_;
  bool whole_ = false;
};

}  // namespace logic
