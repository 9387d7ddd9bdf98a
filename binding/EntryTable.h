#pragma once
/// The client library's operations, each declared once. The seam (ZnApi), the loader, the
/// recording layer, the call log and the tests' fake library are generated from this table,
/// and the loader checks every line against the library's header when it is compiled: adding
/// an operation means one line here and its implementation in the library.
///
/// A line is X(name, role, kinds, parameters, arguments):
/// - role: Call, a call the program makes and the call log keeps; or Extension, beyond the
///   fifteen operations: a library may lack it (it then answers 0) and it explains a call
///   rather than being one, so the log does not keep it. Extensions come last.
/// - kinds: one letter per parameter, how the call log shows it:
///     n  a number                t  a text               p  the password, never shown
///     b  a text buffer the call fills; the next parameter is its length; its text is what
///        the call returned
///     r  a record handle the call sets; "record N" is what it returned when it changed
///     o  an out number the log leaves out
/// - parameters and arguments: the C signature with names, and the names alone.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <type_traits>

// clang-format off
#define ZN_OPERATIONS(X)                                                                          \
  X(znOpen, Call, "ttpn",                                                                         \
    (const char* computer, const char* user, const char* password, std::int32_t mode),            \
    (computer, user, password, mode))                                                             \
  X(znClose, Call, "n", (std::int32_t h), (h))                                                    \
  X(znZncode, Call, "ntnnbnn",                                                                    \
    (std::int32_t h, const char* function, std::int32_t window, std::int32_t mode, char* result,  \
     std::int32_t length, std::int32_t reserved),                                                 \
    (h, function, window, mode, result, length, reserved))                                        \
  X(znTagRead, Call, "ntbn", (std::int32_t h, const char* tag, char* value, std::int32_t length), \
    (h, tag, value, length))                                                                      \
  X(znTagWrite, Call, "ntt", (std::int32_t h, const char* tag, const char* value),                \
    (h, tag, value))                                                                              \
  X(znFindFirst, Call, "nttrn",                                                                   \
    (std::int32_t h, const char* table, const char* filter, std::int32_t* object,                 \
     std::int32_t flags),                                                                         \
    (h, table, filter, object, flags))                                                            \
  X(znFindNext, Call, "nr", (std::int32_t search, std::int32_t* object), (search, object))       \
  X(znFindScroll, Call, "nnnr",                                                                   \
    (std::int32_t search, std::int32_t mode, std::int32_t offset, std::int32_t* object),         \
    (search, mode, offset, object))                                                               \
  X(znGetProperty, Call, "ntbnon",                                                                \
    (std::int32_t object, const char* name, char* buffer, std::int32_t length,                    \
     std::int32_t* resultLength, std::int32_t type),                                              \
    (object, name, buffer, length, resultLength, type))                                           \
  X(znFindClose, Call, "n", (std::int32_t search), (search))                                      \
  X(znListNew, Call, "nn", (std::int32_t h, std::int32_t mode), (h, mode))                        \
  X(znListAdd, Call, "nt", (std::int32_t list, const char* tag), (list, tag))                     \
  X(znListRead, Call, "nn", (std::int32_t list, std::int32_t reserved), (list, reserved))         \
  X(znListData, Call, "nbnn",                                                                     \
    (std::int32_t item, char* value, std::int32_t length, std::int32_t mode),                     \
    (item, value, length, mode))                                                                  \
  X(znListFree, Call, "n", (std::int32_t list), (list))                                           \
  X(znLastError, Extension, "bn", (char* buffer, std::int32_t length), (buffer, length))
// clang-format on

namespace binding {

enum class OpRole : std::uint8_t { Call, Extension };

enum class ZnOp : std::uint8_t {
#define ZN_ENUMERATOR(name, role, kinds, parameters, arguments) name,
  ZN_OPERATIONS(ZN_ENUMERATOR)
#undef ZN_ENUMERATOR
};

struct Operation {
  const char* name;  // as the library exports it
  OpRole role;
  std::string_view kinds;
};

inline constexpr std::array kOperations{
#define ZN_OPERATION_INFO(name, role, kinds, parameters, arguments) \
  Operation{#name, OpRole::role, kinds},
    ZN_OPERATIONS(ZN_OPERATION_INFO)
#undef ZN_OPERATION_INFO
};

constexpr const Operation& OperationOf(ZnOp op) {
  return kOperations[static_cast<std::size_t>(op)];
}

/// The operations the call log keeps: the Calls, numbered from 0 before the extensions.
inline constexpr std::size_t kLoggedOpCount = [] {
  std::size_t calls = 0;
  while (calls < kOperations.size() && kOperations[calls].role == OpRole::Call) ++calls;
  return calls;
}();

namespace detail {

template <class T>
constexpr bool KindFits(char kind) {
  if constexpr (std::is_same_v<T, std::int32_t>) return kind == 'n';
  if constexpr (std::is_same_v<T, const char*>) return kind == 't' || kind == 'p';
  if constexpr (std::is_same_v<T, char*>) return kind == 'b';
  if constexpr (std::is_same_v<T, std::int32_t*>) return kind == 'r' || kind == 'o';
  return false;
}

/// Whether `kinds` gives every parameter of a function a letter that fits its type,
/// and every buffer its length.
template <class... Parameters>
constexpr bool KindsFit(std::string_view kinds, std::int32_t (*)(Parameters...)) {
  if (kinds.size() != sizeof...(Parameters)) return false;
  std::size_t at = 0;
  if (!(KindFits<Parameters>(kinds[at++]) && ...)) return false;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] == 'b' && (i + 1 == kinds.size() || kinds[i + 1] != 'n')) return false;
  }
  return true;
}

constexpr std::size_t CountOf(std::string_view kinds, std::string_view letters) {
  std::size_t n = 0;
  for (const char kind : kinds) n += letters.find(kind) != std::string_view::npos;
  return n;
}

}  // namespace detail

#define ZN_CHECK_KINDS(name, role, kinds, parameters, arguments)                           \
  static_assert(detail::KindsFit(kinds, static_cast<std::int32_t(*) parameters>(nullptr)), \
                #name ": a kind letter does not fit its parameter");
ZN_OPERATIONS(ZN_CHECK_KINDS)
#undef ZN_CHECK_KINDS

/// The most numbers and texts one call shows: what a call record must hold.
inline constexpr std::size_t kMostNumbers = [] {
  std::size_t most = 0;
  for (const Operation& op : kOperations) most = std::max(most, detail::CountOf(op.kinds, "n"));
  return most;
}();
inline constexpr std::size_t kMostTexts = [] {
  std::size_t most = 0;
  for (const Operation& op : kOperations) most = std::max(most, detail::CountOf(op.kinds, "t"));
  return most;
}();

static_assert(
    [] {
      for (std::size_t i = kLoggedOpCount; i < kOperations.size(); ++i) {
        if (kOperations[i].role != OpRole::Extension) return false;
      }
      return true;
    }(),
    "extensions come after every call");

/// Calls visit(kind, argument) for each argument of a call of `op`, in order.
template <ZnOp op, class Visit, class... Arguments>
void ForEachArgument(Visit&& visit, const std::tuple<Arguments...>& arguments) {
  constexpr std::string_view kinds = OperationOf(op).kinds;
  static_assert(kinds.size() == sizeof...(Arguments));
  std::apply(
      [&](const auto&... each) {
        std::size_t at = 0;
        (visit(kinds[at++], each), ...);
      },
      arguments);
}

}  // namespace binding
