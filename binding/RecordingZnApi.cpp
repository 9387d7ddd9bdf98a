#include "RecordingZnApi.h"

#include <array>
#include <chrono>
#include <cstring>

#include "znapi.h"  // ZNAPI_SCROLL_COUNT

namespace server {
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

std::string RecordText(const std::int32_t* object) {
  return object ? "record " + std::to_string(*object) : std::string();
}

}  // namespace

template <class Arguments, class Call, class Returned>
std::int32_t RecordingZnApi::Record(ZnOp op, Arguments&& arguments, Call&& call,
                                    Returned&& returned) {
  if (!log_.recording()) return call();
  using namespace std::chrono;
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
    arguments(record);
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
    returned(record);
    return result;
  }
  std::array<char, kKeptTextLength + 1> reason{};
  if (library_.znLastError(reason.data(), static_cast<std::int32_t>(reason.size())) != 0) {
    record.reason = BufferText(reason.data(), static_cast<std::int32_t>(reason.size()));
  }
  return result;
}

std::int32_t RecordingZnApi::znOpen(const char* computer, const char* user, const char* password,
                                    std::int32_t mode) {
  return Record(
      ZnOp::Open,
      [&](CallRecord& r) {
        r.texts[0] = Text(computer);
        r.texts[1] = Text(user);
        r.numbers[0] = mode;
      },
      [&] { return library_.znOpen(computer, user, password, mode); }, [](CallRecord&) {});
}

std::int32_t RecordingZnApi::znClose(std::int32_t h) {
  return Record(
      ZnOp::Close, [&](CallRecord& r) { r.numbers[0] = h; }, [&] { return library_.znClose(h); },
      [](CallRecord&) {});
}

std::int32_t RecordingZnApi::znZncode(std::int32_t h, const char* function, std::int32_t window,
                                      std::int32_t mode, char* result, std::int32_t length,
                                      std::int32_t reserved) {
  return Record(
      ZnOp::Zncode,
      [&](CallRecord& r) {
        r.numbers = {h, window, mode, length, reserved};
        r.texts[0] = Text(function);
      },
      [&] { return library_.znZncode(h, function, window, mode, result, length, reserved); },
      [&](CallRecord& r) { r.returned = BufferText(result, length); });
}

std::int32_t RecordingZnApi::znTagRead(std::int32_t h, const char* tag, char* value,
                                       std::int32_t length) {
  return Record(
      ZnOp::TagRead,
      [&](CallRecord& r) {
        r.numbers = {h, length};
        r.texts[0] = Text(tag);
      },
      [&] { return library_.znTagRead(h, tag, value, length); },
      [&](CallRecord& r) { r.returned = BufferText(value, length); });
}

std::int32_t RecordingZnApi::znTagWrite(std::int32_t h, const char* tag, const char* value) {
  return Record(
      ZnOp::TagWrite,
      [&](CallRecord& r) {
        r.numbers[0] = h;
        r.texts[0] = Text(tag);
        r.texts[1] = Text(value);
      },
      [&] { return library_.znTagWrite(h, tag, value); }, [](CallRecord&) {});
}

std::int32_t RecordingZnApi::znFindFirst(std::int32_t h, const char* table, const char* filter,
                                         std::int32_t* object, std::int32_t flags) {
  return Record(
      ZnOp::FindFirst,
      [&](CallRecord& r) {
        r.numbers = {h, flags};
        r.texts[0] = Text(table);
        r.texts[1] = Text(filter);
      },
      [&] { return library_.znFindFirst(h, table, filter, object, flags); },
      [&](CallRecord& r) { r.returned = RecordText(object); });
}

std::int32_t RecordingZnApi::znFindNext(std::int32_t search, std::int32_t* object) {
  return Record(
      ZnOp::FindNext, [&](CallRecord& r) { r.numbers[0] = search; },
      [&] { return library_.znFindNext(search, object); },
      [&](CallRecord& r) { r.returned = RecordText(object); });
}

std::int32_t RecordingZnApi::znFindScroll(std::int32_t search, std::int32_t mode,
                                          std::int32_t offset, std::int32_t* object) {
  return Record(
      ZnOp::FindScroll,
      [&](CallRecord& r) {
        r.numbers = {search, mode, offset};
      },
      [&] { return library_.znFindScroll(search, mode, offset, object); },
      [&](CallRecord& r) {
        // Counting leaves the record pointer alone.
        if (mode != ZNAPI_SCROLL_COUNT) r.returned = RecordText(object);
      });
}

std::int32_t RecordingZnApi::znGetProperty(std::int32_t object, const char* name, char* buffer,
                                           std::int32_t length, std::int32_t* resultLength,
                                           std::int32_t type) {
  return Record(
      ZnOp::GetProperty,
      [&](CallRecord& r) {
        r.numbers = {object, length, type};
        r.texts[0] = Text(name);
      },
      [&] { return library_.znGetProperty(object, name, buffer, length, resultLength, type); },
      [&](CallRecord& r) { r.returned = BufferText(buffer, length); });
}

std::int32_t RecordingZnApi::znFindClose(std::int32_t search) {
  return Record(
      ZnOp::FindClose, [&](CallRecord& r) { r.numbers[0] = search; },
      [&] { return library_.znFindClose(search); }, [](CallRecord&) {});
}

std::int32_t RecordingZnApi::znListNew(std::int32_t h, std::int32_t mode) {
  return Record(
      ZnOp::ListNew,
      [&](CallRecord& r) {
        r.numbers = {h, mode};
      },
      [&] { return library_.znListNew(h, mode); }, [](CallRecord&) {});
}

std::int32_t RecordingZnApi::znListAdd(std::int32_t list, const char* tag) {
  return Record(
      ZnOp::ListAdd,
      [&](CallRecord& r) {
        r.numbers[0] = list;
        r.texts[0] = Text(tag);
      },
      [&] { return library_.znListAdd(list, tag); }, [](CallRecord&) {});
}

std::int32_t RecordingZnApi::znListRead(std::int32_t list, std::int32_t reserved) {
  return Record(
      ZnOp::ListRead,
      [&](CallRecord& r) {
        r.numbers = {list, reserved};
      },
      [&] { return library_.znListRead(list, reserved); }, [](CallRecord&) {});
}

std::int32_t RecordingZnApi::znListData(std::int32_t item, char* value, std::int32_t length,
                                        std::int32_t mode) {
  return Record(
      ZnOp::ListData,
      [&](CallRecord& r) {
        r.numbers = {item, length, mode};
      },
      [&] { return library_.znListData(item, value, length, mode); },
      [&](CallRecord& r) { r.returned = BufferText(value, length); });
}

std::int32_t RecordingZnApi::znListFree(std::int32_t list) {
  return Record(
      ZnOp::ListFree, [&](CallRecord& r) { r.numbers[0] = list; },
      [&] { return library_.znListFree(list); }, [](CallRecord&) {});
}

std::int32_t RecordingZnApi::znLastError(char* buffer, std::int32_t length) {
  return library_.znLastError(buffer, length);
}

}  // namespace server
