#pragma once
/// One client connection's conversation: login first, then script functions, tag reads and
/// writes, finds with their open searches, and list reads. One request at a time per
/// connection, on whichever thread the connection gives it.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <google/protobuf/arena.h>
#include "Authenticator.h"
#include "Faults.h"
#include "ListReadRequest.h"
#include "LoginLimiter.h"
#include "NoiseLog.h"
#include "Plant.h"
#include "ResultSet.h"

#include "znwire.pb.h"

namespace znsim {

using znwire::ListReadRequest;

struct ServiceLimits {
  std::uint64_t maxRows = 1'000'000;    // rows a query may yield
  std::uint32_t maxPageRows = 2000;     // rows per reply
  std::uint32_t defaultPageRows = 500;  // when a request asks for 0
  std::size_t maxSearches = 64;         // open searches per connection
  std::size_t pageBytes = 4u << 20;     // text per reply, well under the frame limit
  // List reads up to this size are quick: each tag costs a fraction of a microsecond.
  std::size_t quickListTags = 16 * 1024;
};

class PeerHub;

struct Services {
  Plant& plant;
  const Authenticator& auth;
  LoginLimiter& logins;
  NoiseLog& noise;
  ServiceLimits limits;
  Faults* faults = nullptr;  // none where no fault may be asked for
  PeerHub* peer = nullptr;   // set when the server is one of a pair
};

/// An arena for a message of thousands of small strings (a page, a list read), which is then
/// built and freed in a few large blocks instead of one allocation per string.
std::unique_ptr<google::protobuf::Arena> NewArena();

/// A reply, in an arena, and how to send it.
struct Outcome {
  /// The reply goes in `arena` when given (which must outlive it), else in an arena of its own.
  explicit Outcome(google::protobuf::Arena* arena = nullptr);
  std::unique_ptr<google::protobuf::Arena> arena;  // null when the reply is in another's
  znwire::Response* response;                      // owned by an arena
  /// The tail of the response's body (the rows of a find page, the items of a list read),
  /// already in its wire form (see PageWriter, ListReplyWriter).
  std::string encodedBody;
  Millis delay = 0;    // hold the reply back this long (Sleep, faults)
  bool close = false;  // close the connection after the reply
  bool drop = false;   // close the connection without replying (a fault)
};

/// The framed reply of `outcome` into `frame`, whose storage is reused; a reply too large to
/// frame becomes an error reply.
void EncodeReply(Outcome& outcome, std::string& frame);

class Session {
 public:
  /// `address` is the peer's address, which logs name; `source` is what login limits count it
  /// under (see SourceOf).
  Session(Services& services, std::string address, std::string source)
      : services_(services),
        address_(std::move(address)),
        source_(std::move(source)),
        drops_(services.faults ? services.faults->drops() : 0) {}

  /// True when a logged-in client's request costs microseconds, so it may run on the thread
  /// that read it without holding up other clients. Decided by the decoded request, never by
  /// its text.
  bool IsQuick(const znwire::Request& request) const;
  bool IsQuick(const ListReadRequest& request) const;
  /// The quick first step of a login: the refusal to send at once when the login limits
  /// refuse the attempt, nullopt when the password is to be checked.
  std::optional<Outcome> AdmitLogin(const znwire::Request& request);
  /// Checks the password of a login that AdmitLogin let through: the reply is ok when the
  /// client is logged in from now on.
  Outcome Login(const znwire::Request& request);
  /// Answers a request of a logged-in client; the reply is in the request's arena, if any.
  Outcome Handle(const znwire::Request& request);
  /// Answers a list read taken from its frame in place.
  Outcome Handle(const ListReadRequest& request);

 private:
  bool IsQuick(std::size_t listTags) const;
  /// Makes the reply in `outcome` as late or as absent as the faults in force ask.
  void Faulted(Outcome& outcome) const;
  void FindFirst(const znwire::FindFirst& find, Outcome& outcome);
  void FindFetch(const znwire::FindFetch& fetch, Outcome& outcome);
  /// The reply to a list read of `count` tags, each value read now.
  template <typename Tags>
  void ReadList(const Tags& tags, std::size_t count, Outcome& outcome) const;
  void FillPage(const ResultSet& rows, std::uint64_t offset, std::uint32_t count,
                const google::protobuf::RepeatedField<std::uint32_t>& columns,
                Outcome& outcome) const;

  Services& services_;
  std::string address_;
  std::string source_;
  std::uint64_t drops_;  // the faults' drop count when the connection opened
  std::string user_;     // once logged in
  std::string caller_;   // the user and address, as the log names who ran a script
  bool administrator_ = false;
  std::uint64_t nextSearch_ = 1;
  std::map<std::uint64_t, std::shared_ptr<const ResultSet>> searches_;
};

}  // namespace znsim
