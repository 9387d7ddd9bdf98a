#include "RowOutput.h"

#include <algorithm>
#include <cstdio>

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

}  // namespace

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
    WriteHeader();
    WriteRow(shown);
  } else {
    WriteHeader();
    WriteRow(row);
  }
  if (buffer_.size() >= kWriteSize) Drain();
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
  if (headerWritten_ || format_ == Format::Json) return;
  headerWritten_ = true;
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
      buffer_ += '{';
      for (std::size_t i = 0; i < row.size() && i < columns_.size(); ++i) {
        if (i > 0) buffer_ += ',';
        AppendJsonString(buffer_, columns_[i]);
        buffer_ += ':';
        if (row[i].kind == Cell::Kind::Missing)
          buffer_ += "null";
        else if (row[i].kind == Cell::Kind::Number)
          buffer_ += row[i].json;
        else
          AppendJsonString(buffer_, row[i].text);
      }
      buffer_ += "}\n";
      break;
  }
}

void RowOutput::Drain() {
  if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
  buffer_.clear();
}

}  // namespace zncheck
