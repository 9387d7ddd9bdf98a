#pragma once
/// Texts and values as they cross the library boundary: 8-bit Windows-1252 text in fixed
/// buffers on the library's side, QString in the windows; the blanks the server's texts carry;
/// the numbers the engineer types; the rule that takes a record field out of its buffer.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FieldBuffer.h"

namespace logic {

// ---- Windows-1252 --------------------------------------------------------------------------

/// The text as Windows-1252; a character the code page lacks becomes '?'.
std::string ToAnsi(const QString& text);
QString FromAnsi(const char* text, std::size_t length);
QString FromAnsi(const std::string& text);
/// The text of a library buffer up to its first NUL, or the whole buffer when it has none.
QString BufferText(const char* buffer, std::size_t length);

// ---- Blanks --------------------------------------------------------------------------------
// Spaces only, so that a tab or a control character the server sends stays part of the text.

QString TrimLeadingBlanks(const QString& s);
QString TrimTrailingBlanks(const QString& s);
QString TrimBlanks(const QString& s);

// ---- Numbers as typed ------------------------------------------------------------------------

/// A plain decimal number: optional blanks, an optional sign, digits with an optional
/// decimal point (".5" and "2." included), optional blanks. Anything else is no number.
std::optional<double> ParseDecimal(const QString& text);

/// The nearest whole number, halves to the even neighbour; nothing when it leaves the range.
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

// ---- Record fields ---------------------------------------------------------------------------

enum class ValueRule { Trimmed, Untrimmed };

/// Trimmed: blanks (spaces only) leave both ends of the whole buffer first, then the value
/// ends at the first NUL. Trailing blanks before the library's NUL therefore stay; they go
/// only when the library filled the buffer without a NUL. Untrimmed: the buffer up to its
/// first NUL. The result never holds a NUL.
QString FieldValue(const char* buffer, std::size_t length, ValueRule rule);
inline QString FieldValue(const binding::FieldBuffer& field, ValueRule rule) {
  return FieldValue(field.bytes.data(), field.bytes.size(), rule);
}

struct DeviceFieldCount {
  std::int16_t value = 0;
  /// Why the text cannot serve as a field count; empty when it can.
  QString failure;
  bool ok() const { return failure.isEmpty(); }
};

/// The number of fields a device's records offer, from the text of their count property: a
/// plain decimal number rounded to a whole number (halves to even). Fields are numbered with
/// 16 bits, so a count of 32768 or more cannot be walked; a count below 1 walks none.
DeviceFieldCount ReadDeviceFieldCount(const QString& text);

}  // namespace logic
