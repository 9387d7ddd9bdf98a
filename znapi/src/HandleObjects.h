#pragma once
/// The small objects behind search, record and list-item handles.
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
  std::int32_t record = 0;  // the handle of the record at the cursor, replaced on each move
};

/// One row of a search, readable while the search stands on it.
struct Record {
  std::shared_ptr<Search> search;
  std::uint64_t row = 0;
};

struct ListItem {
  std::shared_ptr<TagList> list;
  std::size_t index = 0;
};

}  // namespace znapi::detail
