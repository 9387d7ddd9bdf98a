#pragma once
/// The four tag types and the rules that turn a client's text into a stored value.
#include <optional>
#include <string>
#include <string_view>

namespace znsim {

enum class TagType { Digital, Integer, Real, String };

/// Longest text a string tag holds, in characters; the client reads values into
/// 255-character buffers.
inline constexpr std::size_t kMaxStringValue = 254;

/// "digital", "integer", "real", "string" (any letter case).
std::optional<TagType> ParseTagType(std::string_view text);
/// The name shown in the Tag table's "Type" column.
const char* TagTypeName(TagType type);

/// The canonical text of `text` stored in a tag of `type`, or nullopt when it does not fit:
/// digital takes 0 or 1, integer a 32-bit whole number, real a finite number, string any
/// UTF-8 text up to kMaxStringValue characters. Blanks around numbers are ignored.
std::optional<std::string> CanonicalValue(TagType type, std::string_view text);

/// Why `text` does not fit a tag of `type` ("'abc' is not a number"), for a value that
/// CanonicalValue refuses.
std::string ValueRefusal(TagType type, std::string_view text);

/// Shortest text that reads back as the same number ("12.5", "3", "-0.25").
std::string FormatNumber(double value);
/// Fixed six decimals, as trend samples are shown ("60.000000").
std::string FormatSample(double value);

/// The number a stored value stands for (digital and numeric tags); nullopt for text.
std::optional<double> NumericValue(std::string_view canonical);

}  // namespace znsim
