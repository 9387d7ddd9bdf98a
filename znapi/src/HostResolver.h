#pragma once
/// Name lookup that honours a deadline, which the system resolver alone does not.
#include <asio/ip/tcp.hpp>
#include <chrono>
#include <string>
#include <vector>

#include "Deadlines.h"

namespace znapi::detail {

/// The endpoints of `host` on `port`. An address literal needs no lookup. A name is looked up
/// on a helper thread; when the deadline passes first the lookup is abandoned (the thread
/// finishes on its own). An empty result has its reason recorded.
std::vector<asio::ip::tcp::endpoint> ResolveHost(const std::string& host, std::uint16_t port,
                                                 const Deadline& deadline);

}  // namespace znapi::detail
