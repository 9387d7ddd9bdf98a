#pragma once
/// Text at the C boundary: callers pass and receive NUL-terminated Windows-1252 text, the wire
/// carries UTF-8. Results go into caller-owned buffers with bounded writes.
#include <cstdint>
#include <string>
#include <string_view>

namespace znapi::detail {

/// A caller's Windows-1252 text as UTF-8.
std::string Utf8FromAnsi(const char* text);

/// Copies UTF-8 `text` into `out`, which holds `length` bytes, as Windows-1252: at most
/// length-1 bytes of text and a NUL. A character the code page lacks, and each byte of a
/// malformed sequence, becomes '?'. Returns the number of text bytes written. The caller has
/// checked out != nullptr and length > 0.
std::int32_t CopyText(char* out, std::int32_t length, std::string_view text);

}  // namespace znapi::detail
