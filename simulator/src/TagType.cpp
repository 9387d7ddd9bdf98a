#include "TagType.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace znsim {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<double> ParseDouble(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

// Characters of a UTF-8 text: every byte but the continuation bytes starts one.
std::size_t CharacterCount(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

}  // namespace

std::optional<TagType> ParseTagType(std::string_view text) {
  const std::string name = Lower(text);
  if (name == "digital") return TagType::Digital;
  if (name == "integer") return TagType::Integer;
  if (name == "real") return TagType::Real;
  if (name == "string") return TagType::String;
  return std::nullopt;
}

const char* TagTypeName(TagType type) {
  switch (type) {
    case TagType::Digital:
      return "Digital";
    case TagType::Integer:
      return "Integer";
    case TagType::Real:
      return "Real";
    case TagType::String:
      return "String";
  }
  return "";
}

std::optional<std::string> CanonicalValue(TagType type, std::string_view text) {
  switch (type) {
    case TagType::String:
      if (CharacterCount(text) > kMaxStringValue) return std::nullopt;
      return std::string(text);
    case TagType::Real: {
      const auto value = ParseDouble(text);
      if (!value) return std::nullopt;
      return FormatNumber(*value);
    }
    case TagType::Integer:
    case TagType::Digital: {
      const auto value = ParseDouble(text);
      if (!value || *value != std::trunc(*value)) return std::nullopt;
      if (*value < std::numeric_limits<std::int32_t>::min() ||
          *value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
      }
      if (type == TagType::Digital && *value != 0 && *value != 1) return std::nullopt;
      return std::to_string(static_cast<std::int32_t>(*value));
    }
  }
  return std::nullopt;
}

std::string ValueRefusal(TagType type, std::string_view text) {
  if (type == TagType::String) {
    return "the text is longer than " + std::to_string(kMaxStringValue) + " characters";
  }
  // A value meant as a number is short; a long one is not echoed back whole.
  constexpr std::size_t kShownBytes = 40;
  std::string shown(text.substr(0, kShownBytes));
  if (text.size() > kShownBytes) shown += "...";
  shown = "'" + shown + "'";
  const auto value = ParseDouble(text);
  if (!value) return shown + " is not a number";
  if (*value != std::trunc(*value)) return shown + " is not a whole number";
  if (type == TagType::Digital) return shown + " is not 0 or 1";
  return shown + " is out of range";
}

std::string FormatNumber(double value) {
  if (value == 0) value = 0;  // no "-0"
  std::array<char, 64> text{};
  const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{}) return "0";
  return std::string(text.data(), end);
}

std::string FormatSample(double value) {
  std::array<char, 400> text{};  // fixed notation of the largest double needs ~310 digits
  const auto [end, ec] =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 6);
  if (ec != std::errc{}) return "0.000000";
  return std::string(text.data(), end);
}

std::optional<double> NumericValue(std::string_view canonical) {
  return ParseDouble(canonical);
}

}  // namespace znsim
