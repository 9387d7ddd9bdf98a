#pragma once
/// How a record field's text is taken from the fixed buffer the library fills.
#include <QString>
#include <cstddef>

namespace app {

/// Record properties are read into buffers of this many bytes.
inline constexpr std::size_t kFieldBufferLength = 32;

enum class ValueRule { Trimmed, Untrimmed };

/// Trimmed: blanks (spaces only) leave both ends of the whole buffer first, then the value
/// ends at the first NUL. Trailing blanks before the library's NUL therefore stay; they go
/// only when the library filled the buffer without a NUL. Untrimmed: the buffer up to its
/// first NUL. The result never holds a NUL.
QString FieldValue(const char* buffer, std::size_t length, ValueRule rule);

}  // namespace app
