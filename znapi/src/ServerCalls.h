#pragma once
/// The requests of the library, one function each, over a connection whose mutex the caller
/// holds. Texts are UTF-8. Every function returns nullopt (or false) when the server refuses or
/// the connection fails. The texts of short calls' replies live in the connection's call
/// arena, until its next short call.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ArenaResponse.h"
#include "SearchCursor.h"
#include "ServerConnection.h"

namespace znapi::detail {

std::optional<std::string_view> RunZncode(ServerConnection& connection, std::string function,
                                          std::int32_t window, std::int32_t mode);
std::optional<std::string_view> ReadTag(ServerConnection& connection, std::string tag);
bool WriteTag(ServerConnection& connection, std::string tag, std::string value);
/// The reply to a new search, holding its first page of up to `pageRows` rows.
std::optional<ArenaResponse> StartFind(ServerConnection& connection, std::string table,
                                       std::string filter, std::uint32_t pageRows);
bool CloseFind(ServerConnection& connection, std::uint64_t search);
/// Reads every tag of `request`'s list read; the reply's items are left in their wire form.
std::optional<znwire::ListReadResponse> ReadList(ServerConnection& connection,
                                                 znwire::Request& request);

/// The pages of one server search, fetched over its connection.
class SearchPages : public PageSource {
 public:
  SearchPages(ServerConnection& connection, std::uint64_t search)
      : connection_(connection), search_(search) {}
  std::uint32_t Request(std::uint64_t offset, std::uint32_t count,
                        const std::vector<std::uint32_t>& columns) override;
  std::optional<ArenaResponse> Collect(std::uint32_t ticket) override;
  void Abandon(std::uint32_t ticket) override { connection_.Abandon(ticket); }

 private:
  ServerConnection& connection_;
  std::uint64_t search_;
};

}  // namespace znapi::detail
