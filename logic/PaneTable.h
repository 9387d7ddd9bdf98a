#pragma once
/// The text of the result pane and the rows a request wrote into it, kept once: the pane draws
/// its lines from here, and Save... and copy take their cells from here. A row is kept as
/// where each value stands in the text, so every value gets its own cell however it reads: a
/// tab or a line break inside a value stays inside its cell.
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <deque>
#include <functional>

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
  /// and the text and every row kept so far are forgotten.
  void Reset(QStringList columns = {});
  /// Names the columns once they are known (a device's fields come with its first record).
  void SetColumns(QStringList columns) { columns_ = std::move(columns); }
  /// The pane holds one value, `text`, the answer to `column`, and nothing else.
  void SetWhole(QString column, QStringView text);
  bool whole() const { return whole_; }

  /// Adds text that is no value: a header line, the line end after a row's values.
  void Append(QStringView text);
  /// Begins a row at the end of the text.
  void BeginRow();
  /// Appends `value` and then `separator` to the row begun last.
  void AddValue(QStringView value, QLatin1StringView separator);

  /// How many times the table started over: a display of it starts over too.
  std::uint64_t Resets() const { return resets_; }
  /// Everything written, CR LF line ends included.
  const QString& text() const { return text_; }
  /// Lines as the display shows them: each ends at a LF, and a text that ends with one has
  /// an empty last line.
  qsizetype LineCount() const { return static_cast<qsizetype>(lineStarts_.size()); }
  /// Line `line` as written, without its LF; carriage returns are the display's to drop.
  QStringView LineText(qsizetype line) const;

  /// Adds the column names and every row.
  void AddTable(DelimitedText& out) const;
  /// The same in another layout: `header`, then what `layout` makes of each row's values.
  void AddTable(const QStringList& header,
                const std::function<QStringList(const QStringList& values)>& layout,
                DelimitedText& out) const;
  /// Adds the rows that have a line within `lines`; the column names too when the header line
  /// written before the rows is within them.
  void AddRows(LineRange lines, DelimitedText& out) const;

 private:
  /// Where a value stands within its row: rows are short, and a million of them are kept.
  struct Span {
    std::uint32_t offset;
    std::uint32_t length;
  };
  /// Notes the lines that begin in the text from `from` on.
  void NoteLineStarts(qsizetype from);
  QStringList Values(std::size_t row) const;
  qsizetype RowEnd(std::size_t row) const;
  qsizetype LineOf(qsizetype position) const;

  QString text_;
  QStringList columns_;
  // Deques grow by blocks: no copy of a long index at every doubling, no freed block left
  // behind in the heap.
  std::deque<qsizetype> lineStarts_{0};
  std::deque<qsizetype> rowStarts_;
  std::deque<std::size_t> firstValues_;  // each row's first entry in values_
  std::deque<Span> values_;
  bool whole_ = false;
  std::uint64_t resets_ = 0;
};

}  // namespace logic
