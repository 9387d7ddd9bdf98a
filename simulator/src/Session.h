#pragma once
/// One client connection's conversation: login first, then script functions, tag reads and
/// writes, finds with their open searches, and list reads. Runs on a worker thread, one
/// request at a time per connection.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include <google/protobuf/arena.h>
#include "Authenticator.h"
#include "LoginThrottle.h"
#include "Plant.h"
#include "ResultSet.h"

#include "znwire.pb.h"

namespace znsim {

struct ServiceLimits {
  std::uint64_t maxRows = 1'000'000;    // rows a query may yield
  std::uint32_t maxPageRows = 2000;     // rows per reply
  std::uint32_t defaultPageRows = 500;  // when a request asks for 0
  std::size_t maxSearches = 64;         // open searches per connection
  std::size_t pageBytes = 4u << 20;     // text per reply, well under the frame limit
};

struct Services {
  Plant& plant;
  const Authenticator& auth;
  LoginThrottle& throttle;
  ServiceLimits limits;
};

/// A reply and how to send it. The reply lives in an arena of its own: a page of thousands
/// of small strings is then built and freed in a few large blocks.
struct Outcome {
  Outcome();
  std::unique_ptr<google::protobuf::Arena> arena;
  znwire::Response* response;  // owned by the arena
  Millis delay = 0;            // hold the reply back this long (Sleep, login throttling)
  bool close = false;          // close the connection after the reply
};

class Session {
 public:
  /// `peer` names the connection in logs; `address` is what login throttling counts by, so
  /// a guesser cannot start afresh with each new connection.
  Session(Services& services, std::string peer, std::string address)
      : services_(services), peer_(std::move(peer)), address_(std::move(address)) {}

  Outcome Handle(const znwire::Request& request);
  bool loggedIn() const { return !user_.empty(); }
  const std::string& peer() const { return peer_; }

 private:
  void Login(const znwire::Login& login, Outcome& outcome);
  void FindFirst(const znwire::FindFirst& find, znwire::Response& response);
  void FindFetch(const znwire::FindFetch& fetch, znwire::Response& response);
  void FillPage(const ResultSet& rows, std::uint64_t offset, std::uint32_t count,
                znwire::FindPage& page) const;

  Services& services_;
  std::string peer_;
  std::string address_;
  std::string user_;
  std::uint64_t nextSearch_ = 1;
  std::map<std::uint64_t, std::shared_ptr<const ResultSet>> searches_;
};

}  // namespace znsim
