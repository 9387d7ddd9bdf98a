#include "Session.h"

#include <spdlog/spdlog.h>

#include <algorithm>

#include "ListReadReply.h"
#include "LoginLimiter.h"
#include "PeerHub.h"
#include "Queries.h"
#include "ScriptFunctions.h"
#include "WireFormat.h"
#include "framing.h"

namespace znsim {

namespace {

// A user name comes from the peer: keep control characters and floods out of the log.
std::string LogSafe(const std::string& text) {
  std::string out = text.substr(0, 64);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return out;
}

void Refuse(znwire::Response& response, std::string error) {
  response.set_ok(false);
  response.set_error(std::move(error));
}

}  // namespace

std::unique_ptr<google::protobuf::Arena> NewArena() {
  google::protobuf::ArenaOptions options;
  options.start_block_size = 16 * 1024;
  options.max_block_size = 1024 * 1024;
  return std::make_unique<google::protobuf::Arena>(options);
}

Outcome::Outcome(google::protobuf::Arena* in)
    : arena(in ? nullptr : NewArena()),
      response(google::protobuf::Arena::CreateMessage<znwire::Response>(in ? in : arena.get())) {}

bool Session::IsQuick(const znwire::Request& request) const {
  switch (request.body_case()) {
    case znwire::Request::kTagRead:
    case znwire::Request::kFindClose:
    case znwire::Request::BODY_NOT_SET:
      return true;
    case znwire::Request::kListRead:
      return IsQuick(request.list_read().tags_size());
    case znwire::Request::kZncode:
      return IsQuickScript(request.zncode().function());
    case znwire::Request::kFindFirst:
      return OpensAtOnce(request.find_first().table());
    case znwire::Request::kFindFetch: {
      // A page holds a bounded number of rows: only where they come from decides.
      const auto it = searches_.find(request.find_fetch().search());
      return it == searches_.end() || it->second->InMemory();
    }
    default:
      return false;  // writes that wait for the disk, password checks
  }
}

bool Session::IsQuick(const ListReadRequest& request) const {
  return IsQuick(request.size());
}

bool Session::IsQuick(std::size_t listTags) const {
  return listTags <= services_.limits.quickListTags;
}

std::optional<Outcome> Session::AdmitLogin(const znwire::Request& request) {
  std::optional<Outcome> outcome;
  if (const auto refused = services_.faults ? services_.faults->LoginsRefusedSeconds() : 0) {
    services_.noise.Note(address_, "login refused on request (SimFault)", {}, true);
    outcome.emplace();
    Refuse(*outcome->response, "logins are refused for another " + std::to_string(refused) + " s");
  } else if (const auto wait = services_.logins.Refusal(source_, request.login().user())) {
    services_.noise.Note(address_, "login refused over the attempt limit", {}, true);
    outcome.emplace();
    Refuse(*outcome->response, TooManyAttempts(*wait));
  } else {
    return std::nullopt;
  }
  outcome->response->set_id(request.id());
  outcome->close = true;
  Faulted(*outcome);
  return outcome;
}

Outcome Session::Login(const znwire::Request& request) {
  Outcome outcome;
  outcome.response->set_id(request.id());
  outcome.response->set_ok(true);
  const znwire::Login& login = request.login();
  if (services_.auth.Verify(login.user(), login.password())) {
    services_.logins.Succeeded(source_, login.user());
    services_.noise.Note(address_, "logged in", " as '" + LogSafe(login.user()) + "'");
    user_ = login.user();
    caller_ = "'" + LogSafe(user_) + "' from " + address_;
    administrator_ = services_.auth.IsAdministrator(user_);
  } else {
    services_.noise.Note(address_, "login refused", " for user '" + LogSafe(login.user()) + "'",
                         true);
    Refuse(*outcome.response, "wrong user name or password");
    outcome.close = true;
  }
  Faulted(outcome);
  return outcome;
}

void Session::Faulted(Outcome& outcome) const {
  if (!services_.faults) return;
  if (drops_ < services_.faults->drops()) {
    outcome.drop = true;
    return;
  }
  outcome.delay = services_.faults->Held(outcome.delay);
}

Outcome Session::Handle(const znwire::Request& request) {
  Outcome outcome(request.GetArena());
  znwire::Response& response = *outcome.response;
  response.set_id(request.id());
  response.set_ok(true);

  if (request.body_case() == znwire::Request::kLogin) {
    Refuse(response, "already logged in");
    outcome.close = true;
    return outcome;
  }
  Plant& plant = services_.plant;
  const Millis now = NowMillis();
  switch (request.body_case()) {
    case znwire::Request::kZncode: {
      ScriptContext context{plant.tags(), plant.settings().name, now};
      context.sim.faults = services_.faults;
      if (services_.peer) context.sim.peerState = [peer = services_.peer] { return peer->State(); };
      context.caller = caller_;
      context.administrator = administrator_;
      ScriptOutcome script = RunScript(request.zncode().function(), context);
      if (!script.ok) {
        Refuse(response, script.error);
      } else {
        response.mutable_zncode()->set_result(std::move(script.result));
        outcome.delay = script.delay;
      }
      // The call that sets or clears faults is answered as asked, whatever they were.
      if (script.setFaults) return outcome;
      break;
    }
    case znwire::Request::kTagRead: {
      auto value = plant.tags().Read(request.tag_read().tag(), now);
      if (!value) {
        Refuse(response, "unknown tag '" + request.tag_read().tag() + "'");
      } else {
        response.mutable_tag_value()->set_value(std::move(*value));
      }
      break;
    }
    case znwire::Request::kTagWrite: {
      const auto written =
          plant.tags().Write(request.tag_write().tag(), request.tag_write().value());
      if (written.status == TagStore::WriteStatus::Written) {
        response.mutable_tag_value()->set_value(written.value);
      } else {
        Refuse(response,
               plant.tags().Refusal(request.tag_write().tag(), request.tag_write().value()));
      }
      break;
    }
    case znwire::Request::kFindFirst:
      FindFirst(request.find_first(), outcome);
      break;
    case znwire::Request::kFindFetch:
      FindFetch(request.find_fetch(), outcome);
      break;
    case znwire::Request::kFindClose:
      if (searches_.erase(request.find_close().search()) == 0) Refuse(response, "unknown search");
      break;
    case znwire::Request::kListRead:
      ReadList(request.list_read().tags(), request.list_read().tags_size(), outcome);
      break;
    default:
      Refuse(response, "unknown request");
      break;
  }
  Faulted(outcome);
  return outcome;
}

Outcome Session::Handle(const ListReadRequest& request) {
  Outcome outcome;
  outcome.response->set_id(request.id());
  outcome.response->set_ok(true);
  ReadList(request, request.size(), outcome);
  Faulted(outcome);
  return outcome;
}

template <typename Tags>
void Session::ReadList(const Tags& tags, std::size_t count, Outcome& outcome) const {
  const Millis now = NowMillis();
  znwire::ListReplyWriter writer(count, znwire::kMaxFrameBytes);
  for (const std::string_view tag : tags) {
    // Stop building a reply that could never be sent rather than hold all of it.
    if (!writer.Add(services_.plant.tags().Read(tag, now))) {
      return Refuse(*outcome.response, "reply too large");
    }
  }
  outcome.response->mutable_list_read();
  outcome.encodedBody = writer.Take();
}

void Session::FindFirst(const znwire::FindFirst& find, Outcome& outcome) {
  znwire::Response& response = *outcome.response;
  if (!find.filter().empty() && find.filter() != "*") {
    return Refuse(response, "only the filter \"*\" is supported");
  }
  if (searches_.size() >= services_.limits.maxSearches) {
    return Refuse(response, "too many open searches on this connection");
  }
  QueryOutcome query = OpenQuery(services_.plant, find.table(), services_.limits.maxRows);
  if (!query.rows) return Refuse(response, query.error);
  const std::uint32_t wanted =
      find.page_size() == 0 ? services_.limits.defaultPageRows : find.page_size();
  // The first page carries every column: the client has read none yet.
  FillPage(*query.rows, 0, wanted, {}, outcome);
  if (query.rows->Total() == 0) return;  // nothing to fetch later: keep no search open
  const std::uint64_t id = nextSearch_++;
  searches_.emplace(id, std::move(query.rows));
  response.mutable_find_page()->set_search(id);
}

void Session::FindFetch(const znwire::FindFetch& fetch, Outcome& outcome) {
  const auto it = searches_.find(fetch.search());
  if (it == searches_.end()) return Refuse(*outcome.response, "unknown search");
  outcome.response->mutable_find_page()->set_search(it->first);
  FillPage(*it->second, fetch.offset(), fetch.count(), fetch.columns(), outcome);
}

void Session::FillPage(const ResultSet& rows, std::uint64_t offset, std::uint32_t count,
                       const google::protobuf::RepeatedField<std::uint32_t>& columns,
                       Outcome& outcome) const {
  auto& page = *outcome.response->mutable_find_page();
  page.set_total(rows.Total());
  page.set_offset(offset);
  for (const auto& column : rows.Columns()) page.add_columns(column);
  PageWriter writer(rows.Columns().size(), columns, services_.limits.pageBytes);
  rows.Write(offset, std::min(count, services_.limits.maxPageRows), writer);
  page.mutable_present()->Add(writer.present().begin(), writer.present().end());
  outcome.encodedBody = writer.Take();
}

void EncodeReply(Outcome& outcome, std::string& frame) {
  znwire::Response& response = *outcome.response;
  // A oneof's case is the number of its field.
  const int field = static_cast<int>(response.body_case());
  google::protobuf::MessageLite* body = nullptr;
  if (!outcome.encodedBody.empty()) {
    switch (response.body_case()) {
      case znwire::Response::kFindPage:
        body = response.unsafe_arena_release_find_page();
        break;
      case znwire::Response::kListRead:
        body = response.unsafe_arena_release_list_read();
        break;
      default:
        break;
    }
  }
  bool encoded;
  if (!body) {
    encoded = znwire::EncodeFrameInto(response, frame);
  } else {
    // The body's own fields, then the part written ahead in wire form: the body's length
    // covers both, and the response's other fields come first.
    std::string head;
    encoded = znwire::EncodeFrameInto(response, frame) && body->SerializeToString(&head);
    const std::size_t bodyBytes = head.size() + outcome.encodedBody.size();
    std::string prefix;
    znwire::AppendVarint(prefix, znwire::FieldKey(field, znwire::WireType::Delimited));
    znwire::AppendVarint(prefix, bodyBytes);
    const std::size_t size = frame.size() - znwire::kHeaderBytes + prefix.size() + bodyBytes;
    encoded = encoded && size <= znwire::kMaxFrameBytes;
    if (encoded) {
      frame.reserve(znwire::kHeaderBytes + size);
      frame += prefix;
      frame += head;
      frame += outcome.encodedBody;
      znwire::WriteHeader(static_cast<std::uint32_t>(size), frame.data());
    }
  }
  if (encoded) return;
  znwire::Response tooLarge;
  tooLarge.set_id(response.id());
  tooLarge.set_ok(false);
  tooLarge.set_error("reply too large");
  znwire::EncodeFrameInto(tooLarge, frame);
}

}  // namespace znsim
