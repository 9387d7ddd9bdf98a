#include "ServerCalls.h"

#include "LastError.h"

namespace znapi::detail {
namespace {

// False, with the server's reason, when it refused the request.
template <class Response>
bool Granted(const Response& response) {
  if (response.ok()) return true;
  SetReason(response.error().empty() ? "the server refused the request" : response.error());
  return false;
}

// Whether the server accepted the request; if not, the server's reason is the call's. A reply
// without a body reads as an empty one (proto3 senders may leave an empty message out); a body
// of another kind is a reply to something else.
bool Acceptable(const znwire::Response& response, znwire::Response::BodyCase expected) {
  if (!Granted(response)) return false;
  if (response.body_case() == expected || response.body_case() == znwire::Response::BODY_NOT_SET) {
    return true;
  }
  SetReason("the server answered with a reply of another kind");
  return false;
}

// Whether the server accepted the request; its reply is then in `response`.
bool Accepted(ServerConnection& connection, znwire::Request& request,
              znwire::Response::BodyCase expected, znwire::Response& response) {
  return connection.Call(request, response) && Acceptable(response, expected);
}

std::optional<ArenaResponse> AcceptedInArena(ServerConnection& connection, znwire::Request& request,
                                             znwire::Response::BodyCase expected) {
  std::optional<ArenaResponse> response(std::in_place);
  if (!Accepted(connection, request, expected, **response)) return std::nullopt;
  return response;
}

}  // namespace

std::optional<std::string_view> RunZncode(ServerConnection& connection, std::string function,
                                          std::int32_t window, std::int32_t mode) {
  auto& arena = connection.FreshCallArena();
  auto& request = *arena.Make<znwire::Request>();
  auto* body = request.mutable_zncode();
  body->set_function(std::move(function));
  body->set_window(window);
  body->set_mode(mode);
  auto& response = *arena.Make<znwire::Response>();
  if (!Accepted(connection, request, znwire::Response::kZncode, response)) return std::nullopt;
  return response.zncode().result();
}

std::optional<std::string_view> ReadTag(ServerConnection& connection, std::string tag) {
  auto& arena = connection.FreshCallArena();
  auto& request = *arena.Make<znwire::Request>();
  request.mutable_tag_read()->set_tag(std::move(tag));
  auto& response = *arena.Make<znwire::Response>();
  if (!Accepted(connection, request, znwire::Response::kTagValue, response)) return std::nullopt;
  return response.tag_value().value();
}

bool WriteTag(ServerConnection& connection, std::string tag, std::string value) {
  auto& arena = connection.FreshCallArena();
  auto& request = *arena.Make<znwire::Request>();
  auto* body = request.mutable_tag_write();
  body->set_tag(std::move(tag));
  body->set_value(std::move(value));
  return Accepted(connection, request, znwire::Response::kTagValue,
                  *arena.Make<znwire::Response>());
}

std::optional<ArenaResponse> StartFind(ServerConnection& connection, std::string table,
                                       std::string filter, std::uint32_t pageRows) {
  znwire::Request request;
  auto* body = request.mutable_find_first();
  body->set_table(std::move(table));
  body->set_filter(std::move(filter));
  body->set_page_size(pageRows);
  return AcceptedInArena(connection, request, znwire::Response::kFindPage);
}

bool CloseFind(ServerConnection& connection, std::uint64_t search) {
  auto& arena = connection.FreshCallArena();
  auto& request = *arena.Make<znwire::Request>();
  request.mutable_find_close()->set_search(search);
  return Accepted(connection, request, znwire::Response::BODY_NOT_SET,
                  *arena.Make<znwire::Response>());
}

std::optional<znwire::ListReadResponse> ReadList(ServerConnection& connection,
                                                 znwire::Request& request) {
  std::optional<znwire::ListReadResponse> response(std::in_place);
  if (!connection.Call(request, *response) || !Granted(*response)) return std::nullopt;
  return response;
}

std::uint32_t SearchPages::Request(std::uint64_t offset, std::uint32_t count,
                                   const std::vector<std::uint32_t>& columns) {
  znwire::Request request;
  auto* body = request.mutable_find_fetch();
  body->set_search(search_);
  body->set_offset(offset);
  body->set_count(count);
  body->mutable_columns()->Add(columns.begin(), columns.end());
  return connection_.Send(request);
}

std::optional<ArenaResponse> SearchPages::Collect(std::uint32_t ticket) {
  std::optional<ArenaResponse> response(std::in_place);
  if (!connection_.Receive(ticket, **response) ||
      !Acceptable(**response, znwire::Response::kFindPage)) {
    return std::nullopt;
  }
  return response;
}

}  // namespace znapi::detail
