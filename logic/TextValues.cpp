#include "TextValues.h"

#include <QList>  // QString::toUcs4
#include <QRegularExpression>
#include <cfenv>  // FE_TONEAREST
#include <cmath>
#include <cstring>
#include <limits>

#include "Windows1252.h"

namespace logic {

namespace {

template <typename Int>
std::optional<Int> RoundTo(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  // nearbyint rounds by the current mode; the default mode sends halves to even.
  const int previous = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(value);
  std::fesetround(previous);
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max()))
    return std::nullopt;
  return static_cast<Int>(rounded);
}

}  // namespace

std::string ToAnsi(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (const char32_t c : text.toUcs4()) out += codepage::ToWindows1252(c);
  return out;
}

QString FromAnsi(const char* text, std::size_t length) {
  QString out(static_cast<qsizetype>(length), Qt::Uninitialized);
  for (std::size_t i = 0; i < length; ++i)
    out[static_cast<qsizetype>(i)] = QChar(
        static_cast<char16_t>(codepage::FromWindows1252(static_cast<unsigned char>(text[i]))));
  return out;
}

QString FromAnsi(const std::string& text) {
  return FromAnsi(text.data(), text.size());
}

QString BufferText(const char* buffer, std::size_t length) {
  const void* nul = std::memchr(buffer, '\0', length);
  const std::size_t n =
      nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : length;
  return FromAnsi(buffer, n);
}

QString TrimLeadingBlanks(const QString& s) {
  qsizetype i = 0;
  while (i < s.size() && s[i] == QLatin1Char(' ')) ++i;
  return s.mid(i);
}

QString TrimTrailingBlanks(const QString& s) {
  qsizetype n = s.size();
  while (n > 0 && s[n - 1] == QLatin1Char(' ')) --n;
  return s.left(n);
}

QString TrimBlanks(const QString& s) {
  return TrimTrailingBlanks(TrimLeadingBlanks(s));
}

std::optional<double> ParseDecimal(const QString& text) {
  static const QRegularExpression kDecimal(QStringLiteral("^ *([+-]?(?:\\d+\\.?\\d*|\\.\\d+)) *$"));
  const auto match = kDecimal.match(text);
  if (!match.hasMatch()) return std::nullopt;
  bool ok = false;
  const double value = match.captured(1).toDouble(&ok);  // QString::toDouble is locale-free
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::int16_t> RoundToInt16(double value) {
  return RoundTo<std::int16_t>(value);
}
std::optional<std::int32_t> RoundToInt32(double value) {
  return RoundTo<std::int32_t>(value);
}

QString FieldValue(const char* buffer, std::size_t length, ValueRule rule) {
  if (rule == ValueRule::Untrimmed) return BufferText(buffer, length);
  std::size_t begin = 0;
  std::size_t end = length;
  while (begin < end && buffer[begin] == ' ') ++begin;
  while (end > begin && buffer[end - 1] == ' ') --end;
  return BufferText(buffer + begin, end - begin);
}

DeviceFieldCount ReadDeviceFieldCount(const QString& text) {
  const auto number = ParseDecimal(text);
  if (!number)
    return {0, QStringLiteral("Type mismatch: the field count '%1' is not a number.").arg(text)};
  const auto count = RoundToInt32(*number);
  if (!count || *count > std::numeric_limits<std::int16_t>::max())
    return {0,
            QStringLiteral("Overflow: the field count %1 is more than 32767.").arg(text.trimmed())};
  return {static_cast<std::int16_t>(*count > 0 ? *count : 0), {}};
}

}  // namespace logic
