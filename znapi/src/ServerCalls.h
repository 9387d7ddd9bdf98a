#pragma once
/// The requests of the library, one function each, over a connection whose mutex the caller
/// holds. Every function returns nullopt (or false) when the server refuses or the connection
/// fails.
#include <cstdint>
#include <optional>
#include <string>

#include "Connection.h"

namespace znapi::detail {

std::optional<std::string> RunZncode(Connection& connection, const char* function,
                                     std::int32_t window, std::int32_t mode);
std::optional<std::string> ReadTag(Connection& connection, const char* tag);
bool WriteTag(Connection& connection, const char* tag, const char* value);
std::optional<znwire::FindPage> StartFind(Connection& connection, const char* table,
                                          const char* filter, std::uint32_t pageRows);
std::optional<znwire::FindPage> FetchRows(Connection& connection, std::uint64_t search,
                                          std::uint64_t offset, std::uint32_t count);
bool CloseFind(Connection& connection, std::uint64_t search);
std::optional<znwire::ListReadReply> ReadList(Connection& connection, znwire::ListRead tags);

}  // namespace znapi::detail
