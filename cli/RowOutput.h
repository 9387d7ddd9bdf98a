#pragma once
/// Rows on standard output in the format the caller chose: aligned columns for people, CSV
/// (RFC 4180, a header, CR LF) for spreadsheets and scripts, or JSON with one object per row
/// and line, so that a stream of a million rows can be piped on. Rows are written as they
/// come: only the first rows of the text format wait, to measure the columns. The values come
/// from a server: text shows their control characters escaped, and a CSV cell that a
/// spreadsheet would run as a formula is kept text with a leading "'" unless asked for raw.
#include <cstdio>
#include <string>
#include <vector>

namespace zncheck {

enum class Format { Text, Csv, Json };

/// One value of a row, as UTF-8. A number keeps its text in text and CSV and is a JSON
/// number in JSON; a missing value is empty in text and CSV and null in JSON.
struct Cell {
  enum class Kind { Text, Number, Missing };
  std::string text;
  Kind kind = Kind::Text;
  std::string json;  // a number's JSON form

  Cell() = default;
  Cell(std::string value) : text(std::move(value)) {}  // a text
  Cell(const char* value) : text(value) {}
  static Cell Missing();
  static Cell Number(std::string text, double value);
};

class RowOutput {
 public:
  /// `quiet` writes nothing at all; `rawCsv` writes CSV cells as they are, formulas and all
  /// (for a file that goes back to the server, not to a spreadsheet).
  RowOutput(Format format, std::vector<std::string> columns, std::FILE* out, bool quiet = false,
            bool rawCsv = false);
  ~RowOutput();
  RowOutput(const RowOutput&) = delete;
  RowOutput& operator=(const RowOutput&) = delete;

  /// One row, one cell per column.
  void Add(const std::vector<Cell>& row);
  /// Writes everything held back and hands it to the system, so that a reader of a watch sees
  /// each poll as it happens.
  void Flush();

 private:
  void WriteHeader();
  void WriteRow(const std::vector<Cell>& row, bool header = false);
  void Drain();

  Format format_;
  std::vector<std::string> columns_;
  std::FILE* out_;
  bool quiet_;
  bool rawCsv_;
  bool headerWritten_ = false;
  // Text format: rows that set the column widths, already made printable.
  std::vector<std::vector<Cell>> heldRows_;
  std::vector<std::size_t> widths_;
  std::string buffer_;
};

}  // namespace zncheck
