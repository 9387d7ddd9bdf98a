#pragma once
/// One list of tags on a connection, read in one request, and freed when the handle goes.
/// Texts are Windows-1252.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ZnApi.h"

namespace binding {

/// What a list read gave one tag.
struct ListValue {
  enum class Outcome : std::uint8_t { Read, NotRead, NotAdded };
  Outcome outcome = Outcome::NotRead;
  std::string text;  // up to the value buffer's first NUL; empty unless Read
};

/// A clock at one-second resolution, as a status line counts: whole seconds since any start.
using SecondsClock = std::function<std::int64_t()>;

struct ListReading {
  /// What each tag got, in the order of the tags; fewer when an error cut the read short.
  std::vector<ListValue> values;
  /// Clock seconds from before the first add to after the read; nullopt until the read is
  /// done, or without a clock.
  std::optional<std::int32_t> seconds;
};

class ListHandle {
 public:
  /// A new list on `connection`; LibraryError passes to the caller.
  ListHandle(ZnApi& api, std::int32_t connection);
  ~ListHandle();
  ListHandle(const ListHandle&) = delete;
  ListHandle& operator=(const ListHandle&) = delete;

  /// Whether the library gave a list.
  bool made() const { return list_ != 0; }

  /// Adds every tag, reads them all in one request, and takes each one's value into
  /// `reading`. An error the binding raises (LibraryError) passes to the caller and leaves in
  /// `reading` what was taken before it.
  void Read(const std::vector<std::string>& tags, ListReading& reading,
            const SecondsClock& now = {});

  /// Adds every tag for reads to come, so that a list read again and again (a watch) adds
  /// its tags once. Errors pass to the caller as for Read.
  void Add(const std::vector<std::string>& tags);
  /// Reads the tags added so far in one request and takes each one's value into `reading`;
  /// false when the request itself failed: every tag is then not read, and the library's
  /// reason (ZnApi::LastReason) is the read's.
  bool ReadAdded(ListReading& reading);

 private:
  void TakeValues(ListReading& reading);

  ZnApi& api_;
  std::int32_t list_;
  std::vector<std::int32_t> items_;  // of the tags added, 0 for a tag the library refused
};

}  // namespace binding
