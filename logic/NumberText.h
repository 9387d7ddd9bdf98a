#pragma once
/// Reading the numbers the engineer types into the request panel.
#include <QString>
#include <cstdint>
#include <optional>

namespace app {

/// A plain decimal number: optional blanks, an optional sign, digits with an optional
/// decimal point (".5" and "2." included), optional blanks. Anything else is no number.
std::optional<double> ParseDecimal(const QString& text);

/// The nearest whole number, halves to the even neighbour; nothing when it leaves the range.
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

}  // namespace app
