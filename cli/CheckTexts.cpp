#include "CheckTexts.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "CheckStatus.h"

#include "SendableText.h"
#include "TextValues.h"
#include "Windows1252.h"

namespace zncheck {

namespace {

bool AllDigits(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

std::optional<std::chrono::milliseconds> ParseDuration(std::string_view text) {
  struct Unit {
    std::string_view suffix;
    double milliseconds;
  };
  // "ms" before "s", so that the longer suffix wins.
  static constexpr std::array<Unit, 5> kUnits{
      {{"ms", 1}, {"s", 1e3}, {"m", 60e3}, {"h", 3600e3}, {"d", 86400e3}}};
  double scale = 1e3;
  for (const Unit& unit : kUnits) {
    if (text.size() > unit.suffix.size() && text.ends_with(unit.suffix)) {
      text.remove_suffix(unit.suffix.size());
      scale = unit.milliseconds;
      break;
    }
  }
  const auto number = logic::ParseDecimal(QString::fromUtf8(text.data(), qsizetype(text.size())));
  if (!number || text.find(' ') != std::string_view::npos) return std::nullopt;
  const double ms = std::round(*number * scale);
  if (!(ms >= 1) || ms >= 365 * 86400e3) return std::nullopt;
  return std::chrono::milliseconds(static_cast<long long>(ms));
}

std::string IsoTimestamp(std::string_view date, std::string_view time) {
  if (date.empty() && time.empty()) return {};
  const bool dateForm = date.size() == 10 && date[2] == '/' && date[5] == '/' &&
                        AllDigits(date.substr(0, 2)) && AllDigits(date.substr(3, 2)) &&
                        AllDigits(date.substr(6, 4));
  const bool timeForm = time.size() >= 8 && time[2] == ':' && time[5] == ':' &&
                        AllDigits(time.substr(0, 2)) && AllDigits(time.substr(3, 2)) &&
                        AllDigits(time.substr(6, 2)) &&
                        (time.size() == 8 || (time[8] == '.' && AllDigits(time.substr(9))));
  if (!dateForm || !timeForm) return std::string(date) + ' ' + std::string(time);
  std::string iso;
  iso.reserve(10 + 1 + time.size());
  iso.append(date.substr(6, 4)).append("-").append(date.substr(3, 2)).append("-");
  iso.append(date.substr(0, 2)).append("T").append(time);
  return iso;
}

std::string IsoNow() {
  const QDateTime now = QDateTime::currentDateTime();
  return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs).toStdString();
}

std::vector<std::vector<std::string>> ReadCsv(std::string_view text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false;
  bool fieldStarted = false;
  auto endField = [&] {
    record.push_back(std::move(field));
    field.clear();
    fieldStarted = false;
  };
  auto endRecord = [&] {
    if (fieldStarted || !record.empty()) endField();
    if (!record.empty()) records.push_back(std::move(record));
    record.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = fieldStarted = true;
    } else if (c == ',') {
      endField();
      fieldStarted = true;  // a comma always begins another field, empty or not
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      endRecord();
    } else {
      field += c;
      fieldStarted = true;
    }
  }
  endRecord();
  return records;
}

std::string ReadInput(const std::string& path) {
  if (path == "-")
    return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  std::ifstream file(path, std::ios::binary);
  if (!file) throw UsageError("cannot read " + path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string Printable(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x20 || byte == 0x7F) {
      out.append("\\x").push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
    } else if (byte == 0xC2 && i + 1 < utf8.size() &&
               static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
      // U+0080 to U+009F: the C1 controls, CSI among them.
      const auto code = static_cast<unsigned char>(utf8[++i]);
      out.append("\\u00").push_back(kHex[code >> 4]);
      out.push_back(kHex[code & 0xF]);
    } else {
      out.push_back(utf8[i]);
    }
  }
  return out;
}

std::string AnsiFromUtf8(std::string_view utf8) {
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  if (const auto refusal = logic::UnsendableText({text})) throw UsageError(refusal->toStdString());
  return logic::ToAnsi(text);
}

std::string Utf8FromAnsi(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  codepage::AppendUtf8(out, ansi);
  return out;
}

}  // namespace zncheck
