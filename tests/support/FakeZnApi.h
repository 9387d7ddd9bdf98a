#pragma once
/// A scripted stand-in for libznapi, built from the entry table: servers by computer name,
/// each with tags, tables and script functions, so every buffer and failure case can be
/// produced exactly. Every call is recorded in order.
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ZnApi.h"

namespace fake {

/// A field value as raw bytes: written as given, with a NUL only if the buffer has room.
struct Field {
  std::string name;
  std::string value;
};
using Record = std::vector<Field>;

struct Table {
  std::vector<Record> records;
  /// What znFindScroll mode 4 returns; the number of records when unset.
  std::optional<std::int32_t> reportedTotal;
};

struct Server {
  bool up = true;
  /// znOpen fails unless given this password; any password opens while unset.
  std::optional<std::string> password;
  std::string time = "12:00:00";
  std::map<std::string, std::string> tags;
  std::set<std::string> writeRefused;    // znTagWrite fails for these tags
  std::set<std::string> listAddRefused;  // znListAdd returns 0 for these tags
  std::map<std::string, Table> tables;   // by table or query text
  /// Answers a server function text; nullopt makes znZncode fail. Time(1) answers `time`
  /// unless this handles it.
  std::function<std::optional<std::string>(const std::string&)> zncode;
};

struct Call {
  std::string name;
  std::vector<std::string> args;
};

/// The scripted library: its servers and what it keeps of handles, and its behaviour, one
/// function per operation of the entry table with the table's signature.
class FakeLibrary {
 public:
  std::map<std::string, Server> servers;  // by computer name as passed to znOpen
  std::vector<Call> calls;
  /// What znLastError gives after a call of that name, like a library that explains its
  /// failures; without one it answers 0, like a library that lacks it. Not a recorded call.
  std::map<std::string, std::string> reasons;

  Server& server(const std::string& computer) { return servers[computer]; }
  /// Handles given out by znOpen that are not closed yet.
  std::set<std::int32_t> openConnections() const;
  /// Searches that are not closed yet; lists not freed yet.
  std::set<std::int32_t> openSearches() const;
  std::set<std::int32_t> openLists() const;

#define ZN_FAKE_BEHAVIOUR(name, role, kinds, parameters, arguments) std::int32_t name parameters;
  ZN_OPERATIONS(ZN_FAKE_BEHAVIOUR)
#undef ZN_FAKE_BEHAVIOUR

 private:
  struct Search {
    std::string computer;
    const Table* table = nullptr;
    std::size_t row = 0;
    bool open = true;
  };
  struct List {
    std::string computer;
    std::vector<std::int32_t> items;
    bool open = true;
  };
  struct Item {
    std::int32_t list = 0;
    std::string tag;
    std::optional<std::string> value;  // set by znListRead
  };

  Server* live(std::int32_t h);
  static std::int32_t put(const std::string& text, char* buffer, std::int32_t length);

  std::int32_t next_ = 1;
  std::map<std::int32_t, std::string> connections_;  // handle -> computer
  std::set<std::int32_t> closed_;
  std::map<std::int32_t, Search> searches_;
  std::map<std::int32_t, std::pair<std::int32_t, std::size_t>> objects_;  // -> search, row
  std::map<std::int32_t, List> lists_;
  std::map<std::int32_t, Item> items_;
};

/// The scripted library behind the seam: every call is recorded in order with its
/// in-arguments as texts (the table's kinds n, t and p), then behaves as FakeLibrary says.
class FakeZnApi : public binding::ZnApi, public FakeLibrary {
 public:
  /// Every call raises binding::LibraryError while set.
  std::optional<std::string> missingLibrary;
  /// Called at the start of every call, after it is recorded.
  std::function<void(const Call&)> onCall;

  /// Calls named `name`, in order.
  std::vector<Call> callsOf(const std::string& name) const;
  int countOf(const std::string& name) const;
  /// Argument `arg` of every call named `name`, in order.
  std::vector<std::string> argsOf(const std::string& name, std::size_t arg = 0) const;

  ZN_OPERATIONS(ZN_OVERRIDE)

 private:
  void record(std::string name, std::vector<std::string> args);
};

}  // namespace fake
