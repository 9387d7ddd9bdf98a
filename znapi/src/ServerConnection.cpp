#include "ServerConnection.h"

#include <algorithm>

#include <asio/error.hpp>

#include "HostResolver.h"
#include "framing.h"

namespace znapi::detail {
namespace {

// Bytes asked of the socket per read when the frame length is not yet known.
constexpr std::size_t kReadChunk = 64 * 1024;

// Removes `id` from `ids`; false when it was not there.
bool Erase(std::vector<std::uint32_t>& ids, std::uint32_t id) {
  const auto it = std::find(ids.begin(), ids.end(), id);
  if (it == ids.end()) return false;
  ids.erase(it);
  return true;
}

bool Contains(const std::vector<std::uint32_t>& ids, std::uint32_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::string PeerText(const ServerAddress& address) {
  const bool v6 = address.host.find(':') != std::string::npos;
  return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

std::string SecondsText(std::chrono::milliseconds duration) {
  const auto ms = duration.count();
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  return std::to_string(ms) + " ms";
}

}  // namespace

std::shared_ptr<ServerConnection> ServerConnection::Open(const ServerAddress& address,
                                                         const Credentials& credentials,
                                                         const Deadlines& deadlines,
                                                         std::string* reason) {
  std::string unasked;
  std::string& why = reason ? *reason : unasked;
  const auto deadline = Clock::now() + deadlines.connect;
  const std::string peer = PeerText(address);
  const std::string within = " within " + SecondsText(deadlines.connect);
  std::shared_ptr<ServerConnection> connection(new ServerConnection(deadlines.request));
  const auto endpoints = ResolveHost(address.host, address.port, deadline);
  if (endpoints.empty()) {
    why = "cannot resolve " + address.host + within;
    return nullptr;
  }
  if (const auto error = connection->stream_.Connect(endpoints, deadline, deadlines.request)) {
    why = error == asio::error::timed_out ? "no answer from " + peer + within
                                          : "cannot connect to " + peer + ": " + error.message();
    return nullptr;
  }
  if (address.tls) {
    if (const auto error = connection->stream_.StartTls(address.host, peer, deadline, why)) {
      if (error == asio::error::timed_out) why = "no TLS handshake from " + peer + within;
      return nullptr;
    }
  }

  znwire::Request request;
  auto* login = request.mutable_login();
  login->set_user(credentials.user);
  login->set_password(credentials.password);
  login->set_mode(credentials.mode);
  connection->usable_ = true;
  znwire::Response response;
  if (!connection->ReceiveBy(connection->SendBy(request, deadline), deadline, response)) {
    why = Clock::now() < deadline ? "the connection to " + peer + " ended before the login"
                                  : "no answer to the login from " + peer + within;
    return nullptr;
  }
  if (!response.ok()) {
    why = "login to " + peer + " refused: " + response.error();
    return nullptr;
  }
  return connection;
}

bool ServerConnection::Call(znwire::Request& request, znwire::Response& response) {
  const auto deadline = Clock::now() + requestTimeout_;
  return ReceiveBy(SendBy(request, deadline), deadline, response);
}

std::uint32_t ServerConnection::Send(znwire::Request& request) {
  return SendBy(request, Clock::now() + requestTimeout_);
}

bool ServerConnection::Receive(std::uint32_t id, znwire::Response& response) {
  return ReceiveBy(id, Clock::now() + requestTimeout_, response);
}

void ServerConnection::Abandon(std::uint32_t id) {
  const auto kept = std::find_if(arrived_.begin(), arrived_.end(),
                                 [id](const auto& entry) { return entry.first == id; });
  if (kept != arrived_.end()) {
    arrived_.erase(kept);
  } else if (Contains(outstanding_, id) && !Contains(abandoned_, id)) {
    abandoned_.push_back(id);
  }
}

std::uint32_t ServerConnection::SendBy(znwire::Request& request, Clock::time_point deadline) {
  if (!usable_) return 0;
  // Ids wrap after four billion requests; 0 stays free to mean "not sent".
  if (++lastId_ == 0) ++lastId_;
  request.set_id(lastId_);
  // A request too large to frame is the caller's fault, not the stream's.
  if (!znwire::EncodeFrameInto(request, frame_)) return 0;
  if (stream_.Send(frame_, deadline)) {
    Break();
    return 0;
  }
  outstanding_.push_back(lastId_);
  return lastId_;
}

bool ServerConnection::ReceiveBy(std::uint32_t id, Clock::time_point deadline,
                                 znwire::Response& response) {
  const auto kept = std::find_if(arrived_.begin(), arrived_.end(),
                                 [id](const auto& entry) { return entry.first == id; });
  if (kept != arrived_.end()) {
    const bool parsed = response.ParseFromString(kept->second);
    arrived_.erase(kept);
    return parsed;
  }
  if (!usable_ || !Contains(outstanding_, id) || Contains(abandoned_, id)) return false;
  while (true) {
    if (!ReadFrame(deadline)) return false;
    const auto body = reader_.Body();
    const bool parsed = response.ParseFromArray(body.data(), static_cast<int>(body.size()));
    const std::uint32_t got = response.id();
    if (!parsed || !Erase(outstanding_, got)) {
      Break();
      return false;
    }
    if (got == id) {
      reader_.Pop();
      return true;
    }
    if (!Erase(abandoned_, got)) arrived_.emplace_back(got, std::string(body));
    reader_.Pop();
    response.Clear();
  }
}

bool ServerConnection::ReadFrame(Clock::time_point deadline) {
  while (true) {
    switch (reader_.Poll()) {
      case znwire::FrameReader::State::Ready:
        return true;
      case znwire::FrameReader::State::Oversized:
        Break();
        return false;
      case znwire::FrameReader::State::NeedMore:
        break;
    }
    const std::size_t want = std::max(reader_.Missing(), kReadChunk);
    std::size_t received = 0;
    if (stream_.Receive(reader_.Space(want), want, deadline, received)) {
      Break();
      return false;
    }
    reader_.Commit(received);
  }
}

void ServerConnection::Break() {
  usable_ = false;
  outstanding_.clear();
  abandoned_.clear();
  arrived_.clear();
  stream_.Close();
}

void ServerConnection::Close() {
  Break();
}

}  // namespace znapi::detail
