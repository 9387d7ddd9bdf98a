#include "WireFormat.h"

#include <google/protobuf/io/coded_stream.h>

namespace znwire {

namespace {

WireType TypeOf(std::uint32_t key) {
  return static_cast<WireType>(key & 7);
}

// The fields of a group up to its end key, which must carry the group's own number.
bool SkipGroup(google::protobuf::io::CodedInputStream& in, std::uint32_t startKey) {
  if (!in.IncrementRecursionDepth()) return false;
  for (;;) {
    const std::uint32_t key = in.ReadTag();
    if (key == 0) return false;  // the message ended inside the group
    if (TypeOf(key) == WireType::EndGroup) {
      in.DecrementRecursionDepth();
      return key >> 3 == startKey >> 3;
    }
    if (!SkipField(in, key)) return false;
  }
}

}  // namespace

bool SkipField(google::protobuf::io::CodedInputStream& in, std::uint32_t key) {
  switch (TypeOf(key)) {
    case WireType::Varint: {
      std::uint64_t ignored = 0;
      return in.ReadVarint64(&ignored);
    }
    case WireType::Fixed64:
      return in.Skip(8);
    case WireType::Delimited: {
      std::uint32_t length = 0;
      return in.ReadVarint32(&length) && length <= INT32_MAX && in.Skip(static_cast<int>(length));
    }
    case WireType::StartGroup:
      return SkipGroup(in, key);
    case WireType::Fixed32:
      return in.Skip(4);
    default:
      return false;  // an end without a start, or no wire type at all
  }
}

}  // namespace znwire
