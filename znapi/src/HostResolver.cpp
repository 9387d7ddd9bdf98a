#include "HostResolver.h"

#include <asio/io_context.hpp>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "LastError.h"

namespace znapi::detail {
namespace {

// Shared by the caller and the lookup thread, so whichever finishes last frees it.
struct Lookup {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::vector<asio::ip::tcp::endpoint> endpoints;
};

}  // namespace

std::vector<asio::ip::tcp::endpoint> ResolveHost(const std::string& host, std::uint16_t port,
                                                 const Deadline& deadline) {
  asio::error_code ec;
  const auto address = asio::ip::make_address(host, ec);
  if (!ec) return {asio::ip::tcp::endpoint(address, port)};

  auto lookup = std::make_shared<Lookup>();
  std::thread([lookup, host, port] {
    std::vector<asio::ip::tcp::endpoint> found;
    try {
      asio::io_context io;
      asio::ip::tcp::resolver resolver(io);
      asio::error_code error;
      for (const auto& entry : resolver.resolve(host, std::to_string(port), error)) {
        found.push_back(entry.endpoint());
      }
    } catch (...) {
      found.clear();
    }
    std::lock_guard lock(lookup->mutex);
    lookup->endpoints = std::move(found);
    lookup->finished = true;
    lookup->done.notify_all();
  }).detach();

  std::unique_lock lock(lookup->mutex);
  if (!lookup->done.wait_until(lock, deadline.at, [&] { return lookup->finished; })) {
    SetReason("name '" + host + "' not resolved within " + WaitText(deadline.wait.count()));
    return {};
  }
  if (lookup->endpoints.empty()) SetReason("name '" + host + "' not resolved");
  return std::move(lookup->endpoints);
}

}  // namespace znapi::detail
