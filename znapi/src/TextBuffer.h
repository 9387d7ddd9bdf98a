#pragma once
/// Bounded writes into caller-owned C buffers.
#include <cstdint>
#include <string_view>

namespace znapi::detail {

/// Copies `text` into `out`, which holds `length` bytes: at most length-1 bytes of text and a
/// NUL. Returns the number of text bytes written. The caller has checked out != nullptr and
/// length > 0.
std::int32_t CopyText(char* out, std::int32_t length, std::string_view text);

}  // namespace znapi::detail
