#pragma once
/// Decides whether a value text is a number, the way a tag read reports it.
#include <optional>
#include <string_view>

namespace binding {

/// The number a text reads as: an optional sign, decimal digits with an optional point and an
/// optional exponent, surrounded by any number of spaces ("12.50", " -3 ", "007", "1.5E+3").
/// Locale independent: the point is always '.', and there are no group separators.
std::optional<double> ParseNumericText(std::string_view text);

}  // namespace binding
