#include "RecordingZnApi.h"

#include <array>
#include <chrono>
#include <cstring>
#include <type_traits>

namespace binding {
namespace {

// A text argument as kept: a null pointer reads as empty.
std::string_view Text(const char* text) {
  return text ? KeptText(text) : std::string_view();
}

// The text a call wrote into a caller's buffer of `length` bytes, up to its first NUL.
std::string_view BufferText(const char* buffer, std::int32_t length) {
  if (!buffer || length <= 0) return {};
  return KeptText(std::string_view(buffer, strnlen(buffer, static_cast<std::size_t>(length))));
}

// The record handle an argument points to; 0 for a null pointer.
std::int32_t RecordOf(const std::int32_t* object) {
  return object ? *object : 0;
}

// The in-arguments of a call into a record's numbers and texts, in call order.
template <ZnOp op, class Arguments>
void KeepArguments(CallRecord& record, const Arguments& arguments) {
  std::size_t number = 0, text = 0;
  ForEachArgument<op>(
      [&](char kind, const auto& argument) {
        using T = std::decay_t<decltype(argument)>;
        if constexpr (std::is_same_v<T, std::int32_t>) {
          record.numbers[number++] = argument;
        } else if constexpr (std::is_same_v<T, const char*>) {
          if (kind == 't') record.texts[text++] = Text(argument);  // never a password
        }
      },
      arguments);
}

// What a call that succeeded gave back: the text of its buffer, or the record it moved to
// (`recordBefore` is the record handle before the call; counting leaves it alone).
template <ZnOp op, class Arguments>
void Returned(std::string& out, std::int32_t recordBefore, const Arguments& arguments) {
  out.clear();
  const char* buffer = nullptr;
  bool lengthNext = false;
  ForEachArgument<op>(
      [&](char kind, const auto& argument) {
        using T = std::decay_t<decltype(argument)>;
        if constexpr (std::is_same_v<T, char*>) {
          buffer = argument;
          lengthNext = true;
          return;
        } else if constexpr (std::is_same_v<T, std::int32_t>) {
          if (lengthNext) out = BufferText(buffer, argument);
        } else if constexpr (std::is_same_v<T, std::int32_t*>) {
          if (kind == 'r' && argument && *argument != recordBefore)
            out = "record " + std::to_string(*argument);
        }
        lengthNext = false;
      },
      arguments);
}

template <ZnOp op, class Arguments>
std::int32_t RecordBefore(const Arguments& arguments) {
  std::int32_t before = 0;
  ForEachArgument<op>(
      [&](char kind, const auto& argument) {
        if constexpr (std::is_same_v<std::decay_t<decltype(argument)>, std::int32_t*>) {
          if (kind == 'r') before = RecordOf(argument);
        }
      },
      arguments);
  return before;
}

}  // namespace

template <ZnOp op, class Call, class Arguments>
std::int32_t RecordingZnApi::Record(Call&& call, const Arguments& arguments) {
  if (OperationOf(op).role == OpRole::Extension || !log_.recording()) return call();
  using namespace std::chrono;
  const std::int32_t recordBefore = RecordBefore<op>(arguments);
  const auto wallStart = system_clock::now();
  const auto start = steady_clock::now();
  const auto begin = [&]() -> CallRecord& {
    CallRecord& record = log_.Append();
    record.startMs = duration_cast<milliseconds>(wallStart.time_since_epoch()).count();
    record.durationUs = duration_cast<microseconds>(steady_clock::now() - start).count();
    record.op = op;
    record.numbers = {};
    for (auto& text : record.texts) text.clear();
    record.returned.clear();
    record.reason.clear();
    KeepArguments<op>(record, arguments);
    return record;
  };
  std::int32_t result = 0;
  try {
    result = call();
  } catch (const std::exception& error) {
    CallRecord& record = begin();
    record.result = 0;
    record.reason = KeptText(error.what());
    throw;
  }
  CallRecord& record = begin();
  record.result = result;
  if (result != 0) {
    Returned<op>(record.returned, recordBefore, arguments);
    return result;
  }
  std::array<char, kKeptTextLength + 1> reason{};
  if (library_.znLastError(reason.data(), static_cast<std::int32_t>(reason.size())) != 0) {
    record.reason = BufferText(reason.data(), static_cast<std::int32_t>(reason.size()));
  }
  return result;
}

#define ZN_DEFINE(name, role, kinds, parameters, arguments)                                 \
  std::int32_t RecordingZnApi::name parameters {                                            \
    return Record<ZnOp::name>([&] { return library_.name arguments; }, std::tie arguments); \
  }
ZN_OPERATIONS(ZN_DEFINE)
#undef ZN_DEFINE

}  // namespace binding
