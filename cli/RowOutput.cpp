#include "RowOutput.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "CheckTexts.h"
#include "FormulaGuard.h"

namespace zncheck {

namespace {

// Enough rows to measure columns that hold the same kind of value row after row.
constexpr std::size_t kRowsMeasured = 256;
constexpr std::size_t kWriteSize = 1 << 16;

// Characters on screen: UTF-8 continuation bytes take no column.
std::size_t DisplayWidth(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

void AppendCsvField(std::string& out, const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    out += field;
    return;
  }
  out += '"';
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendJsonString(std::string& out, const std::string& text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  out += '"';
}

// The number grammar of JSON (RFC 8259): -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
bool IsJsonNumber(std::string_view text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - start;
  };
  if (i < text.size() && text[i] == '-') ++i;
  const std::size_t first = i;
  const std::size_t whole = digits();
  if (whole == 0 || (whole > 1 && text[first] == '0')) return false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (digits() == 0) return false;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

}  // namespace

Cell Cell::Field(std::string text) {
  Cell cell(std::move(text));
  if (IsJsonNumber(cell.text)) {
    cell.kind = Kind::Number;
    cell.json = cell.text;
  }
  return cell;
}

Cell Cell::Boolean(bool value) {
  Cell cell(value ? "true" : "false");
  cell.kind = Kind::Boolean;
  return cell;
}

Cell Cell::Missing() {
  Cell cell;
  cell.kind = Kind::Missing;
  return cell;
}

Cell Cell::Number(std::string text, double value) {
  char json[32];
  std::snprintf(json, sizeof json, "%.15g", value);
  Cell cell(std::move(text));
  cell.kind = Kind::Number;
  cell.json = json;
  return cell;
}

RowOutput::RowOutput(Format format, std::vector<std::string> columns, std::FILE* out, bool quiet,
                     bool rawCsv)
    : format_(format), columns_(std::move(columns)), out_(out), quiet_(quiet), rawCsv_(rawCsv) {
  buffer_.reserve(kWriteSize + 4096);
}

RowOutput::~RowOutput() {
  if (!quiet_ && format_ == Format::Json) {
    WriteHeader();  // an empty array when no row came
    buffer_ += rowsWritten_ > 0 ? "\n]\n" : "]\n";
  }
  Flush();
}

void RowOutput::Add(const std::vector<Cell>& row) {
  if (quiet_) return;
  if (format_ == Format::Text) {
    // Measured and written as shown: an escape takes as many columns as it has characters.
    std::vector<Cell> shown = row;
    for (auto& cell : shown) cell.text = Printable(cell.text);
    if (widths_.empty()) {
      heldRows_.push_back(std::move(shown));
      if (heldRows_.size() >= kRowsMeasured) Flush();
      return;
    }
    Widen(shown);
    WriteHeader();
    WriteRow(shown);
  } else {
    WriteHeader();
    WriteRow(row);
  }
  if (buffer_.size() >= kWriteSize) Drain();
}

void RowOutput::Note(const std::string& line) {
  if (quiet_ || format_ != Format::Text) return;
  Flush();
  buffer_ += Printable(line) + '\n';
}

// A value wider than its column: the column grows and the header is written again above it,
// so that the columns below stay in line with their names.
void RowOutput::Widen(const std::vector<Cell>& row) {
  bool widened = false;
  for (std::size_t i = 0; i + 1 < row.size() && i < widths_.size(); ++i) {
    if (DisplayWidth(row[i].text) <= widths_[i]) continue;
    widths_[i] = DisplayWidth(row[i].text);
    widened = true;
  }
  if (widened) headerWritten_ = false;
}

void RowOutput::Flush() {
  if (quiet_) return;
  if (format_ == Format::Text && widths_.empty()) {
    widths_.resize(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) widths_[i] = DisplayWidth(columns_[i]);
    for (const auto& row : heldRows_)
      for (std::size_t i = 0; i < row.size() && i < widths_.size(); ++i)
        widths_[i] = std::max(widths_[i], DisplayWidth(row[i].text));
  }
  WriteHeader();
  for (const auto& row : heldRows_) WriteRow(row);
  heldRows_.clear();
  Drain();
  std::fflush(out_);
}

void RowOutput::WriteHeader() {
  if (headerWritten_ || format_ == Format::JsonLines) return;
  headerWritten_ = true;
  if (format_ == Format::Json) {
    buffer_ += "[\n";
    return;
  }
  std::vector<Cell> names;
  for (const auto& column : columns_) names.push_back({column});
  WriteRow(names, true);
}

void RowOutput::WriteRow(const std::vector<Cell>& row, bool header) {
  switch (format_) {
    case Format::Text:
      for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0) buffer_ += "  ";
        buffer_ += row[i].text;
        if (i + 1 < row.size() && i < widths_.size())
          buffer_.append(widths_[i] - std::min(widths_[i], DisplayWidth(row[i].text)), ' ');
      }
      buffer_ += '\n';
      break;
    case Format::Csv:
      for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0) buffer_ += ',';
        const bool guarded = !header && !rawCsv_ && row[i].kind == Cell::Kind::Text;
        AppendCsvField(buffer_, guarded ? logic::GuardedCell(row[i].text) : row[i].text);
      }
      buffer_ += "\r\n";
      break;
    case Format::Json:
    case Format::JsonLines:
      if (format_ == Format::Json && rowsWritten_ > 0) buffer_ += ",\n";
      buffer_ += '{';
      for (std::size_t i = 0; i < row.size() && i < columns_.size(); ++i) {
        if (i > 0) buffer_ += ',';
        AppendJsonString(buffer_, columns_[i]);
        buffer_ += ':';
        if (row[i].kind == Cell::Kind::Missing)
          buffer_ += "null";
        else if (row[i].kind == Cell::Kind::Number)
          buffer_ += row[i].json;
        else if (row[i].kind == Cell::Kind::Boolean)
          buffer_ += row[i].text;
        else
          AppendJsonString(buffer_, row[i].text);
      }
      buffer_ += format_ == Format::Json ? "}" : "}\n";
      break;
  }
  if (!header) ++rowsWritten_;
}

void RowOutput::Drain() {
  if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
  buffer_.clear();
}

}  // namespace zncheck
