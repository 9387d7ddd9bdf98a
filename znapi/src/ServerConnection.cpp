#include "ServerConnection.h"

#include <algorithm>
#include <asio/error.hpp>

#include "HostResolver.h"
#include "LastError.h"
#include "LoopbackAddress.h"
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

// Decided by the address actually reached, not by the name: a name may lead anywhere.
bool UsesTls(Transport transport, const asio::ip::address& reached) {
  switch (transport) {
    case Transport::Tls:
      return true;
    case Transport::Plain:
      return false;
    case Transport::ByAddress:
      break;
  }
  return !IsLoopback(reached);
}

}  // namespace

std::shared_ptr<ServerConnection> ServerConnection::Open(const ServerAddress& address,
                                                         const Credentials& credentials,
                                                         const Deadlines& deadlines) {
  const auto deadline = Deadline::In(deadlines.connect);
  std::shared_ptr<ServerConnection> connection(
      new ServerConnection(AddressText(address), deadlines.request));
  if (!connection->Connect(address, deadline)) return nullptr;

  znwire::Request request;
  auto* login = request.mutable_login();
  login->set_user(credentials.user);
  login->set_password(credentials.password);
  login->set_mode(credentials.mode);
  connection->usable_ = true;
  znwire::Response response;
  if (!connection->ReceiveBy(connection->SendBy(request, deadline), deadline, response)) {
    return nullptr;
  }
  if (!response.ok()) {
    std::string reason = "login refused for user '" + credentials.user + "'";
    if (!response.error().empty()) reason += ": " + response.error();
    SetReason(reason);
    return nullptr;
  }
  return connection;
}

bool ServerConnection::Connect(const ServerAddress& address, const Deadline& deadline) {
  const auto endpoints = ResolveHost(address.host, address.port, deadline);
  if (endpoints.empty()) return false;
  if (const auto error = stream_.Connect(endpoints, deadline.at, requestTimeout_)) {
    SetReason(WaitFailure(error, deadline));
    return false;
  }
  if (!UsesTls(address.transport, stream_.peer().address())) return true;
  std::string why;
  if (const auto error = stream_.StartTls(address.host, peer_, deadline.at, why)) {
    SetReason(error == asio::error::timed_out
                  ? "no TLS handshake from " + peer_ + " within " + WaitText(deadline.wait.count())
                  : why);
    return false;
  }
  return true;
}

template <class Response>
bool ServerConnection::Call(znwire::Request& request, Response& response) {
  const auto deadline = Deadline::In(requestTimeout_);
  return ReceiveBy(SendBy(request, deadline), deadline, response);
}

std::uint32_t ServerConnection::Send(znwire::Request& request) {
  return SendBy(request, Deadline::In(requestTimeout_));
}

bool ServerConnection::Receive(std::uint32_t id, znwire::Response& response) {
  return ReceiveBy(id, Deadline::In(requestTimeout_), response);
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

std::uint32_t ServerConnection::SendBy(znwire::Request& request, const Deadline& deadline) {
  if (!usable_) {
    SetReason(failure_);
    return 0;
  }
  // Ids wrap after four billion requests; 0 stays free to mean "not sent".
  if (++lastId_ == 0) ++lastId_;
  request.set_id(lastId_);
  // A request too large to frame is the caller's fault, not the stream's.
  if (!znwire::EncodeFrameInto(request, frame_)) {
    SetReason("request too large to send");
    return 0;
  }
  if (const auto error = stream_.Send(frame_, deadline.at)) {
    Break(WaitFailure(error, deadline));
    return 0;
  }
  outstanding_.push_back(lastId_);
  return lastId_;
}

template <class Response>
bool ServerConnection::ReceiveBy(std::uint32_t id, const Deadline& deadline, Response& response) {
  const auto kept = std::find_if(arrived_.begin(), arrived_.end(),
                                 [id](const auto& entry) { return entry.first == id; });
  if (kept != arrived_.end()) {
    const bool parsed = response.ParseFromString(kept->second);
    arrived_.erase(kept);
    if (!parsed) SetReason("malformed reply from " + peer_);
    return parsed;
  }
  if (!usable_) {
    SetReason(failure_);
    return false;
  }
  if (!Contains(outstanding_, id) || Contains(abandoned_, id)) {
    SetReason("no reply is awaited for request " + std::to_string(id));
    return false;
  }
  while (true) {
    if (!ReadFrame(deadline)) return false;
    const auto body = reader_.Body();
    if (!response.ParseFromArray(body.data(), static_cast<int>(body.size()))) {
      Break("malformed reply from " + peer_);
      return false;
    }
    const std::uint32_t got = response.id();
    if (!Erase(outstanding_, got)) {
      Break("reply from " + peer_ + " to a request never sent");
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

bool ServerConnection::ReadFrame(const Deadline& deadline) {
  while (true) {
    switch (reader_.Poll()) {
      case znwire::FrameReader::State::Ready:
        return true;
      case znwire::FrameReader::State::Oversized:
        Break("reply from " + peer_ + " over the frame size limit");
        return false;
      case znwire::FrameReader::State::NeedMore:
        break;
    }
    const std::size_t want = std::max(reader_.Missing(), kReadChunk);
    std::size_t received = 0;
    if (const auto error = stream_.Receive(reader_.Space(want), want, deadline.at, received)) {
      Break(WaitFailure(error, deadline));
      return false;
    }
    reader_.Commit(received);
  }
}

std::string ServerConnection::WaitFailure(const std::error_code& error,
                                          const Deadline& deadline) const {
  if (error == asio::error::timed_out) {
    return "no answer from " + peer_ + " within " + WaitText(deadline.wait.count());
  }
  // The stream reports the system's own errors: compare them by their portable meaning.
  if (error == std::errc::connection_refused) return "connection refused by " + peer_;
  if (error == asio::error::eof) return "connection closed by " + peer_;
  if (error == std::errc::connection_reset) return "connection reset by " + peer_;
  return "connection to " + peer_ + " failed: " + error.message();
}

void ServerConnection::Break(std::string reason) {
  SetReason(reason);
  Shut("connection to " + peer_ + " failed earlier (" + reason + "); close it and open another");
}

void ServerConnection::Shut(std::string failure) {
  usable_ = false;
  failure_ = std::move(failure);
  outstanding_.clear();
  abandoned_.clear();
  arrived_.clear();
  stream_.Close();
}

void ServerConnection::Close() {
  Shut("connection to " + peer_ + " is closed");
}

template bool ServerConnection::Call(znwire::Request&, znwire::Response&);
template bool ServerConnection::Call(znwire::Request&, znwire::ListReadResponse&);

}  // namespace znapi::detail
