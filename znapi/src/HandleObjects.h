#pragma once
/// The objects behind search handles; connections and lists are their own objects.
#include <cstdint>
#include <memory>

#include "SearchCursor.h"
#include "ServerConnection.h"
#include "TagList.h"

namespace znapi::detail {

/// A search belongs to a connection; its state is guarded by that connection's mutex.
struct Search {
  Search(std::shared_ptr<ServerConnection> c, SearchCursor f)
      : connection(std::move(c)), cursor(std::move(f)) {}
  std::shared_ptr<ServerConnection> connection;
  SearchCursor cursor;
  /// The handle of the record at the cursor; each move hands out a new one, and a record
  /// handle other than this one names a row the cursor has left.
  std::int32_t record = 0;
};

}  // namespace znapi::detail
