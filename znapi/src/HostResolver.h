#pragma once
/// Name lookup that honours a deadline, which the system resolver alone does not.
#include <asio/ip/tcp.hpp>
#include <chrono>
#include <string>
#include <vector>

namespace znapi::detail {

/// The endpoints of `host` on `port`. An address literal needs no lookup. A name is looked up
/// on a helper thread; when the deadline passes first the lookup is abandoned (the thread
/// finishes on its own) and the result is empty.
std::vector<asio::ip::tcp::endpoint> ResolveHost(const std::string& host, std::uint16_t port,
                                                 std::chrono::steady_clock::time_point deadline);

}  // namespace znapi::detail
