// The connection against a server that misbehaves on purpose: every fault must end in a
// failed call and an unusable connection, never in a hang or a crash.
#include "Connection.h"

#include <gtest/gtest.h>

#include <chrono>

#include "ScriptedServer.h"
#include "framing.h"

namespace znapi::detail {
namespace {

using testing::ResponseFrame;
using testing::ScriptedServer;
using namespace std::chrono_literals;
using Reply = std::function<std::optional<std::string>(std::uint32_t)>;

std::shared_ptr<Connection> OpenTo(const ScriptedServer& server,
                                   Deadlines deadlines = {1500ms, 1000ms}) {
  return Connection::Open({"127.0.0.1", static_cast<std::uint16_t>(server.port())},
                          {"Engineer", "Marlow", 0}, deadlines);
}

// Logs in, then answers every tag read with the tag's own name, so each reply says which
// request it is for; a read of "refused" is refused.
ScriptedServer::Script EchoTagNames() {
  return [](const znwire::Request& r) -> std::optional<std::string> {
    if (r.has_login()) {
      EXPECT_EQ(r.login().user(), "Engineer");
      EXPECT_EQ(r.login().mode(), 0);
      return ResponseFrame(r.id(), r.login().password() == "Marlow");
    }
    znwire::Response response;
    response.set_id(r.id());
    response.set_ok(r.tag_read().tag() != "refused");
    response.mutable_tag_value()->set_value(r.tag_read().tag());
    return ResponseFrame(response);
  };
}

znwire::Request TagReadOf(const std::string& tag) {
  znwire::Request request;
  request.mutable_tag_read()->set_tag(tag);
  return request;
}

// Replies no correct server sends; each must break the connection for good.
TEST(Connection, FaultyRepliesBreakTheConnection) {
  const std::uint32_t tooLong = znwire::kMaxFrameBytes + 1;
  const std::string oversizedHeader{static_cast<char>(tooLong >> 24),
                                    static_cast<char>(tooLong >> 16),
                                    static_cast<char>(tooLong >> 8), static_cast<char>(tooLong)};
  const std::pair<const char*, Reply> cases[] = {
      {"another request's id", [](std::uint32_t id) { return ResponseFrame(id + 1, true); }},
      {"an oversized frame", [&](std::uint32_t) { return oversizedHeader; }},
      {"an unreadable body", [](std::uint32_t) { return std::string("\0\0\0\3\xff\xff\xff", 7); }},
      {"a hang-up", [](std::uint32_t) { return std::nullopt; }},
      {"half a frame and a hang-up",
       [](std::uint32_t) { return std::optional<std::string>(std::string("\0\0", 2)); }},
      {"silence", [](std::uint32_t) { return std::string(); }},
  };
  for (const auto& [what, reply] : cases) {
    ScriptedServer server([&](const znwire::Request& r) -> std::optional<std::string> {
      if (r.has_login()) return ResponseFrame(r.id(), true);
      return reply(r.id());
    });
    auto connection = OpenTo(server);
    ASSERT_NE(connection, nullptr) << what;
    std::lock_guard lock(connection->mutex());
    auto request = TagReadOf("T");
    EXPECT_FALSE(connection->Call(request).has_value()) << what;
    EXPECT_FALSE(connection->usable()) << what;
    // A later call fails at once, without reaching the server.
    const int before = server.requests();
    auto again = TagReadOf("T");
    EXPECT_FALSE(connection->Call(again).has_value()) << what;
    EXPECT_EQ(server.requests(), before) << what;
  }
}

TEST(Connection, SilentLoginFailsAtTheConnectDeadline) {
  ScriptedServer server([](const znwire::Request&) { return std::string(); });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(OpenTo(server), nullptr);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 1400ms) << "gave up before the deadline";
}

TEST(Connection, RequestLargerThanTheSocketBuffersIsSentWhole) {
  // Larger than loopback's send and receive buffers together: the first write cannot take it
  // all, and the rest must follow through the event loop.
  const std::string huge(12 * 1024 * 1024, 'T');
  ScriptedServer server([&](const znwire::Request& r) -> std::optional<std::string> {
    return ResponseFrame(r.id(), r.has_login() || r.tag_read().tag() == huge);
  });
  auto connection = OpenTo(server, {5000ms, 30000ms});
  ASSERT_NE(connection, nullptr);
  std::lock_guard lock(connection->mutex());
  auto request = TagReadOf(huge);
  const auto response = connection->Call(request);
  ASSERT_TRUE(response.has_value());
  EXPECT_TRUE(response->ok()) << "the server saw a different request";
}

TEST(Connection, EachReplyGoesToItsRequestEvenOutOfTurnOrIsDroppedIfAbandoned) {
  ScriptedServer server(EchoTagNames());
  auto connection = OpenTo(server);
  ASSERT_NE(connection, nullptr);
  std::lock_guard lock(connection->mutex());
  const auto send = [&](const char* tag) {
    auto request = TagReadOf(tag);
    return connection->Send(request);
  };
  const auto call = [&](const char* tag) {
    auto request = TagReadOf(tag);
    return connection->Call(request).value_or(znwire::Response()).tag_value().value();
  };
  auto refused = TagReadOf("refused");
  const auto response = connection->Call(refused);
  ASSERT_TRUE(response.has_value());
  EXPECT_EQ(response->id(), refused.id());
  EXPECT_FALSE(response->ok()) << "a refusal is a reply like any other";
  const auto a = send("A");
  const auto b = send("B");
  ASSERT_NE(a, 0u);
  // B is collected first although A's reply comes first on the stream.
  EXPECT_EQ(connection->Receive(b)->tag_value().value(), "B");
  EXPECT_EQ(call("C"), "C");
  EXPECT_EQ(connection->Receive(a)->tag_value().value(), "A");
  EXPECT_FALSE(connection->Receive(a).has_value()) << "a reply is handed out once";

  const auto late = send("late");
  connection->Abandon(late);  // its reply has not arrived yet
  const auto early = send("early");
  EXPECT_EQ(call("probe"), "probe");
  connection->Abandon(early);  // its reply was read and kept while waiting for the probe
  EXPECT_FALSE(connection->Receive(late).has_value());
  EXPECT_FALSE(connection->Receive(early).has_value());
  EXPECT_EQ(call("after"), "after");
  EXPECT_TRUE(connection->usable());
}

}  // namespace
}  // namespace znapi::detail
