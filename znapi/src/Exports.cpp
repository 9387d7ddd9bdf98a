// The C entry points. Each checks its arguments before touching anything, looks its handle up
// in the registry (never holding the registry's lock across network waits) and turns every
// failure, exceptions included, into 0 with its reason kept for znLastError. Text comes in and
// goes out as Windows-1252; inside, and on the wire, it is UTF-8.
#include <limits>
#include <new>  // std::bad_alloc

#include "ComputerName.h"
#include "HandleObjects.h"
#include "HandleRegistry.h"
#include "LastError.h"
#include "ServerCalls.h"
#include "ServerConnection.h"
#include "TextBuffer.h"
#include "znapi.h"

namespace {

using namespace znapi::detail;

// Every call starts without a reason and ends with one exactly when it fails.
template <class Body>
std::int32_t Guarded(Body&& body) noexcept {
  ClearReason();
  try {
    const std::int32_t result = body();
    if (result != 0) ClearReason();
    return result;
  } catch (const std::bad_alloc&) {
    SetReason("out of memory");
  } catch (const std::exception& error) {
    SetReason(std::string("unexpected error: ") + error.what());
  } catch (...) {
    SetReason("unexpected error");
  }
  return 0;
}

// False, with the reason, when a pointer argument is null.
bool Given(const void* pointer, const char* what) {
  if (pointer) return true;
  SetReason(std::string("no ") + what + " (null pointer)");
  return false;
}

// False, with the reason, when a result buffer cannot take even the NUL.
bool Room(const char* buffer, std::int32_t length) {
  if (!Given(buffer, "result buffer")) return false;
  if (length > 0) return true;
  SetReason("buffer length " + std::to_string(length) + " leaves no room for a result");
  return false;
}

// The object of `handle` when it is of kind T; nullptr, with the reason, when not.
template <class T>
std::shared_ptr<T> Find(std::int32_t handle) {
  auto found = Handles().Find<T>(handle);
  if (!found) SetReason(Handles().Missing<T>(handle));
  return found;
}
template <class T>
std::shared_ptr<T> Take(std::int32_t handle) {
  auto taken = Handles().Take<T>(handle);
  if (!taken) SetReason(Handles().Missing<T>(handle));
  return taken;
}

SearchPages PagesOf(Search& search) {
  return SearchPages(*search.connection, search.cursor.serverSearch());
}

// Gives the row under the cursor a new record handle, which makes the previous one fail. The
// caller holds the connection's mutex.
std::int32_t PlaceRecord(std::int32_t searchHandle, const std::shared_ptr<Search>& search,
                         std::int32_t* object) {
  const std::int32_t record = Handles().AddMember(
      Records{search}, searchHandle, search->cursor.position(), HandleRegistry::Earlier::Fail);
  if (record == 0) return 0;
  search->record = record;
  *object = record;
  return 1;
}

}  // namespace

int32_t znOpen(const char* computer, const char* user, const char* password, int32_t mode) {
  return Guarded([&]() -> std::int32_t {
    if (!Given(computer, "computer name") || !Given(user, "user name") ||
        !Given(password, "password")) {
      return 0;
    }
    const std::string name = Utf8FromAnsi(computer);
    const auto address = ParseComputerName(name);
    if (!address) {
      SetReason("'" + name +
                "' is not a computer name (host, host:port or [v6]:port, each optionally after "
                "tls:// or plain://)");
      return 0;
    }
    auto connection = ServerConnection::Open(
        *address, {Utf8FromAnsi(user), Utf8FromAnsi(password), mode}, DeadlinesFromEnvironment());
    if (!connection) return 0;
    return Handles().Add(std::move(connection));
  });
}

int32_t znClose(int32_t h) {
  return Guarded([&]() -> std::int32_t {
    // Taking it out first makes every later call with h, or with the searches and lists it
    // owns, fail at once, even while another thread still finishes a call on it.
    const auto connection = Take<ServerConnection>(h);
    if (!connection) return 0;
    std::lock_guard lock(connection->mutex());
    connection->Close();
    return 1;
  });
}

int32_t znZncode(int32_t h, const char* function, int32_t window, int32_t mode, char* result,
                 int32_t length, int32_t /*reserved*/) {
  return Guarded([&]() -> std::int32_t {
    if (!Given(function, "function text") || !Room(result, length)) return 0;
    const auto connection = Find<ServerConnection>(h);
    if (!connection) return 0;
    std::lock_guard lock(connection->mutex());
    const auto text = RunZncode(*connection, Utf8FromAnsi(function), window, mode);
    if (!text) return 0;
    CopyText(result, length, *text);
    return 1;
  });
}

int32_t znTagRead(int32_t h, const char* tag, char* value, int32_t length) {
  return Guarded([&]() -> std::int32_t {
    if (!Given(tag, "tag name") || !Room(value, length)) return 0;
    const auto connection = Find<ServerConnection>(h);
    if (!connection) return 0;
    std::lock_guard lock(connection->mutex());
    const auto text = ReadTag(*connection, Utf8FromAnsi(tag));
    if (!text) return 0;
    CopyText(value, length, *text);
    return 1;
  });
}

int32_t znTagWrite(int32_t h, const char* tag, const char* value) {
  return Guarded([&]() -> std::int32_t {
    if (!Given(tag, "tag name") || !Given(value, "value")) return 0;
    const auto connection = Find<ServerConnection>(h);
    if (!connection) return 0;
    std::lock_guard lock(connection->mutex());
    return WriteTag(*connection, Utf8FromAnsi(tag), Utf8FromAnsi(value)) ? 1 : 0;
  });
}

int32_t znFindFirst(int32_t h, const char* table, const char* filter, int32_t* object,
                    int32_t /*flags*/) {
  return Guarded([&]() -> std::int32_t {
    if (!Given(table, "table") || !Given(filter, "filter") || !Given(object, "record pointer")) {
      return 0;
    }
    const auto connection = Find<ServerConnection>(h);
    if (!connection) return 0;
    std::lock_guard lock(connection->mutex());
    const std::string tableText = Utf8FromAnsi(table);
    auto page = StartFind(*connection, tableText, Utf8FromAnsi(filter), kFindPageRows);
    if (!page) return 0;
    auto search = std::make_shared<Search>(connection, SearchCursor(std::move(*page)));
    const std::uint64_t serverSearch = search->cursor.serverSearch();
    const auto release = [&] {
      if (serverSearch != 0) CloseFind(*connection, serverSearch);
    };
    if (search->cursor.empty()) {
      SetReason("'" + tableText + "' has no records");
      release();
      return 0;
    }
    const std::int32_t handle = Handles().Add(search, h);
    if (handle == 0) {
      release();
      return 0;
    }
    if (!PlaceRecord(handle, search, object)) {
      Handles().Remove(handle);
      release();
      return 0;
    }
    auto pages = PagesOf(*search);
    search->cursor.Prefetch(pages);
    return handle;
  });
}

int32_t znFindNext(int32_t search, int32_t* object) {
  return Guarded([&]() -> std::int32_t {
    if (!Given(object, "record pointer")) return 0;
    const auto found = Find<Search>(search);
    if (!found) return 0;
    std::lock_guard lock(found->connection->mutex());
    auto pages = PagesOf(*found);
    if (!found->cursor.Next(pages)) return 0;
    return PlaceRecord(search, found, object);
  });
}

int32_t znFindScroll(int32_t search, int32_t mode, int32_t /*offset*/, int32_t* object) {
  return Guarded([&]() -> std::int32_t {
    const auto found = Find<Search>(search);
    if (!found) return 0;
    std::lock_guard lock(found->connection->mutex());
    switch (mode) {
      case ZNAPI_SCROLL_COUNT: {
        constexpr auto kLargest = static_cast<std::uint64_t>(std::numeric_limits<int32_t>::max());
        return static_cast<std::int32_t>(std::min(found->cursor.total(), kLargest));
      }
      case ZNAPI_SCROLL_FIRST: {
        auto pages = PagesOf(*found);
        if (!Given(object, "record pointer") || !found->cursor.Rewind(pages)) return 0;
        return PlaceRecord(search, found, object);
      }
      default:
        SetReason("scroll mode " + std::to_string(mode) + " is not offered (3 first, 4 count)");
        return 0;
    }
  });
}

int32_t znGetProperty(int32_t object, const char* name, char* buffer, int32_t length,
                      int32_t* resultLength, int32_t type) {
  return Guarded([&]() -> std::int32_t {
    if (!Given(name, "property name") || !Room(buffer, length)) return 0;
    if (type != ZNAPI_TYPE_TEXT) {
      SetReason("property type " + std::to_string(type) + " is not offered (129 text)");
      return 0;
    }
    const auto record = Handles().FindMember<Records>(object);
    if (!record) {
      SetReason(Handles().Missing<Records>(object));
      return 0;
    }
    Search& search = *record->first.search;
    std::lock_guard lock(search.connection->mutex());
    if (search.record != object) {
      SetReason("record " + std::to_string(object) + " is closed: the search has moved on");
      return 0;
    }
    auto pages = PagesOf(search);
    const std::string property = Utf8FromAnsi(name);
    const auto text = search.cursor.Property(property, pages);
    if (!text) {
      SetReason("record " + std::to_string(object) + " has no property '" + property + "'");
      return 0;
    }
    const std::int32_t written = CopyText(buffer, length, *text);
    if (resultLength) *resultLength = written;
    return 1;
  });
}

int32_t znFindClose(int32_t search) {
  return Guarded([&]() -> std::int32_t {
    const auto found = Take<Search>(search);
    if (!found) return 0;
    std::lock_guard lock(found->connection->mutex());
    auto pages = PagesOf(*found);
    found->cursor.Abandon(pages);
    // The local state is gone either way; a server that cannot be told frees the search when
    // the connection ends.
    if (found->cursor.serverSearch() != 0) {
      CloseFind(*found->connection, found->cursor.serverSearch());
    }
    return 1;
  });
}

int32_t znListNew(int32_t h, int32_t /*mode*/) {
  return Guarded([&]() -> std::int32_t {
    auto connection = Find<ServerConnection>(h);
    if (!connection) return 0;
    return Handles().Add(std::make_shared<TagList>(std::move(connection)), h);
  });
}

int32_t znListAdd(int32_t list, const char* tag) {
  return Guarded([&]() -> std::int32_t {
    if (!Given(tag, "tag name")) return 0;
    if (*tag == '\0') {
      SetReason("empty tag name");
      return 0;
    }
    const auto found = Find<TagList>(list);
    if (!found) return 0;
    std::lock_guard lock(found->mutex());
    const std::size_t index = found->Add(Utf8FromAnsi(tag));
    return Handles().AddMember(Items{found}, list, index, HandleRegistry::Earlier::Stay);
  });
}

int32_t znListRead(int32_t list, int32_t /*reserved*/) {
  return Guarded([&]() -> std::int32_t {
    const auto found = Find<TagList>(list);
    if (!found) return 0;
    std::lock_guard listLock(found->mutex());
    std::lock_guard connectionLock(found->connection().mutex());
    auto reply = ReadList(found->connection(), found->ReadRequest());
    if (!reply || !found->Store(std::move(*reply))) {
      found->Forget();
      return 0;
    }
    return 1;
  });
}

int32_t znListData(int32_t item, char* value, int32_t length, int32_t /*mode*/) {
  return Guarded([&]() -> std::int32_t {
    if (!Room(value, length)) return 0;
    const auto found = Handles().FindMember<Items>(item);
    if (!found) {
      SetReason(Handles().Missing<Items>(item));
      return 0;
    }
    TagList& list = *found->first.list;
    std::lock_guard lock(list.mutex());
    const auto text = list.Value(found->second);
    if (!text) {
      SetReason(list.NoValue(found->second));
      return 0;
    }
    CopyText(value, length, *text);
    return 1;
  });
}

int32_t znListFree(int32_t list) {
  return Guarded([&]() -> std::int32_t { return Take<TagList>(list) ? 1 : 0; });
}

int32_t znLastError(char* buffer, int32_t length) {
  // Not guarded: reading the reason must leave it in place for the next reader.
  if (!buffer || length <= 0) return 0;
  const std::string& reason = Reason();
  CopyText(buffer, length, reason);
  return reason.empty() ? 0 : 1;
}
