#pragma once
/// The few pieces of protobuf's wire format that the hand-written encoders and readers need
/// (the list read's and the find page's): field keys made from the generated code's field
/// numbers, varints, and skipping a field nobody reads. Ours, so that nothing leans on
/// protobuf's internal namespace.
#include <cstddef>
#include <cstdint>
#include <string>

namespace google::protobuf::io {
class CodedInputStream;
}

namespace znwire {

enum class WireType : std::uint32_t {
  Varint = 0,
  Fixed64 = 1,
  Delimited = 2,
  StartGroup = 3,
  EndGroup = 4,
  Fixed32 = 5,
};

/// The key that precedes a field's value: its number and wire type.
constexpr std::uint32_t FieldKey(int number, WireType type) {
  return (static_cast<std::uint32_t>(number) << 3) | static_cast<std::uint32_t>(type);
}

/// Bytes the varint of `value` takes.
constexpr std::size_t VarintSize(std::uint64_t value) {
  std::size_t bytes = 1;
  for (; value >= 0x80; value >>= 7) ++bytes;
  return bytes;
}

/// Writes the varint of `value` at `out`, which has room for VarintSize(value) bytes; returns
/// the end of what it wrote.
inline char* WriteVarint(std::uint64_t value, char* out) {
  for (; value >= 0x80; value >>= 7) *out++ = static_cast<char>(value | 0x80);
  *out++ = static_cast<char>(value);
  return out;
}

inline void AppendVarint(std::string& bytes, std::uint64_t value) {
  char varint[10];
  bytes.append(varint, WriteVarint(value, varint));
}

/// Moves `in` past the value of the field whose key was just read, as protobuf skips a field
/// it does not know (a group included); false when the value is malformed.
bool SkipField(google::protobuf::io::CodedInputStream& in, std::uint32_t key);

}  // namespace znwire
