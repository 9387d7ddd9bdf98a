// The connection against a server that misbehaves on purpose: every fault must end in a
// failed call and an unusable connection, within the deadline, never in a hang or a crash.
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
using Clock = std::chrono::steady_clock;

Deadlines Short() {
  return {std::chrono::milliseconds(1500), std::chrono::milliseconds(1000)};
}

ServerAddress Local(int port) {
  return {"127.0.0.1", static_cast<std::uint16_t>(port)};
}

std::shared_ptr<Connection> OpenTo(const ScriptedServer& server) {
  return Connection::Open(Local(server.port()), {"Engineer", "Marlow", 0}, Short());
}

// Logs in, then answers the first request after login with `reply`.
ScriptedServer::Script LoginThen(std::function<std::optional<std::string>(std::uint32_t)> reply) {
  return [reply](const znwire::Request& r) -> std::optional<std::string> {
    if (r.has_login()) return ResponseFrame(r.id(), r.login().password() == "Marlow");
    return reply(r.id());
  };
}

znwire::Request TagReadRequest() {
  znwire::Request request;
  request.mutable_tag_read()->set_tag("T");
  return request;
}

TEST(Connection, LoginSendsCredentialsAndRepliesMatchTheirRequests) {
  ScriptedServer server([](const znwire::Request& r) -> std::optional<std::string> {
    if (r.has_login()) {
      EXPECT_EQ(r.login().user(), "Engineer");
      EXPECT_EQ(r.login().mode(), 0);
      return ResponseFrame(r.id(), true);
    }
    znwire::Response response;
    response.set_id(r.id());
    response.set_ok(true);
    response.mutable_tag_value()->set_value("42");
    return ResponseFrame(response);
  });
  auto connection = OpenTo(server);
  ASSERT_NE(connection, nullptr);
  std::lock_guard lock(connection->mutex());
  for (int i = 0; i < 3; ++i) {
    auto request = TagReadRequest();
    const auto response = connection->Call(request);
    ASSERT_TRUE(response.has_value());
    EXPECT_EQ(response->id(), request.id());
    EXPECT_EQ(response->tag_value().value(), "42");
  }
}

TEST(Connection, RefusedRequestLeavesTheConnectionUsable) {
  ScriptedServer server(LoginThen([](std::uint32_t id) { return ResponseFrame(id, false); }));
  auto connection = OpenTo(server);
  ASSERT_NE(connection, nullptr);
  std::lock_guard lock(connection->mutex());
  auto request = TagReadRequest();
  const auto response = connection->Call(request);
  ASSERT_TRUE(response.has_value());
  EXPECT_FALSE(response->ok());
  EXPECT_TRUE(connection->usable());
}

// Replies no correct server sends; each must break the connection for good.
TEST(Connection, FaultyRepliesBreakTheConnection) {
  const std::uint32_t tooLong = znwire::kMaxFrameBytes + 1;
  const std::string oversizedHeader{static_cast<char>(tooLong >> 24),
                                    static_cast<char>(tooLong >> 16),
                                    static_cast<char>(tooLong >> 8), static_cast<char>(tooLong)};
  struct Case {
    const char* what;
    std::function<std::optional<std::string>(std::uint32_t)> reply;
  };
  const Case cases[] = {
      {"another request's id", [](std::uint32_t id) { return ResponseFrame(id + 1, true); }},
      {"an oversized frame", [&](std::uint32_t) { return oversizedHeader; }},
      {"an unreadable body", [](std::uint32_t) { return std::string("\0\0\0\3\xff\xff\xff", 7); }},
      {"a hang-up", [](std::uint32_t) { return std::nullopt; }},
      {"half a frame and a hang-up",
       [](std::uint32_t) { return std::optional<std::string>(std::string("\0\0", 2)); }},
      {"silence", [](std::uint32_t) { return std::string(); }},
  };
  for (const auto& c : cases) {
    ScriptedServer server(LoginThen(c.reply));
    auto connection = OpenTo(server);
    ASSERT_NE(connection, nullptr) << c.what;
    std::lock_guard lock(connection->mutex());
    auto request = TagReadRequest();
    const auto start = Clock::now();
    EXPECT_FALSE(connection->Call(request).has_value()) << c.what;
    EXPECT_LT(Clock::now() - start, 10s) << c.what;
    EXPECT_FALSE(connection->usable()) << c.what;
    // A later call fails at once, without reaching the server.
    const int before = server.requests();
    auto again = TagReadRequest();
    EXPECT_FALSE(connection->Call(again).has_value()) << c.what;
    EXPECT_EQ(server.requests(), before) << c.what;
  }
}

TEST(Connection, SilentLoginFailsWithinTheConnectDeadline) {
  ScriptedServer server([](const znwire::Request&) { return std::string(); });
  const auto start = Clock::now();
  EXPECT_EQ(OpenTo(server), nullptr);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, 1400ms);
  EXPECT_LT(took, 15s);
}

// Answers every tag read with the tag's own name, so each reply says which request it is for.
ScriptedServer::Script EchoTagNames() {
  return [](const znwire::Request& r) -> std::optional<std::string> {
    if (r.has_login()) return ResponseFrame(r.id(), true);
    znwire::Response response;
    response.set_id(r.id());
    response.set_ok(true);
    response.mutable_tag_value()->set_value(r.tag_read().tag());
    return ResponseFrame(response);
  };
}

znwire::Request TagReadOf(const std::string& tag) {
  znwire::Request request;
  request.mutable_tag_read()->set_tag(tag);
  return request;
}

TEST(Connection, RequestLargerThanTheSocketBuffersIsSentWhole) {
  // Larger than loopback's send and receive buffers together: the first write cannot take it
  // all, and the rest must follow through the event loop.
  const std::string huge(12 * 1024 * 1024, 'T');
  ScriptedServer server([&](const znwire::Request& r) -> std::optional<std::string> {
    if (r.has_login()) return ResponseFrame(r.id(), true);
    return ResponseFrame(r.id(), r.tag_read().tag() == huge);
  });
  auto connection =
      Connection::Open(Local(server.port()), {"Engineer", "Marlow", 0}, {5000ms, 30000ms});
  ASSERT_NE(connection, nullptr);
  std::lock_guard lock(connection->mutex());
  auto request = TagReadOf(huge);
  const auto response = connection->Call(request);
  ASSERT_TRUE(response.has_value());
  EXPECT_TRUE(response->ok()) << "the server saw a different request";
}

TEST(Connection, RepliesArrivingBeforeTheyAreWantedAreKept) {
  ScriptedServer server(EchoTagNames());
  auto connection = OpenTo(server);
  ASSERT_NE(connection, nullptr);
  std::lock_guard lock(connection->mutex());
  auto a = TagReadOf("A");
  auto b = TagReadOf("B");
  const auto first = connection->Send(a);
  const auto second = connection->Send(b);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  // B is collected first although A's reply comes first on the stream.
  EXPECT_EQ(connection->Receive(second)->tag_value().value(), "B");
  auto c = TagReadOf("C");
  EXPECT_EQ(connection->Call(c)->tag_value().value(), "C");
  EXPECT_EQ(connection->Receive(first)->tag_value().value(), "A");
  EXPECT_FALSE(connection->Receive(first).has_value()) << "a reply is handed out once";
  EXPECT_TRUE(connection->usable());
}

TEST(Connection, AbandonedRepliesAreDroppedWhetherEarlyOrLate) {
  ScriptedServer server(EchoTagNames());
  auto connection = OpenTo(server);
  ASSERT_NE(connection, nullptr);
  std::lock_guard lock(connection->mutex());
  auto late = TagReadOf("late");
  const auto lateId = connection->Send(late);
  connection->Abandon(lateId);  // its reply has not arrived yet
  auto early = TagReadOf("early");
  const auto earlyId = connection->Send(early);
  auto probe = TagReadOf("probe");
  EXPECT_EQ(connection->Call(probe)->tag_value().value(), "probe");
  connection->Abandon(earlyId);  // its reply was read and kept while waiting for the probe
  EXPECT_FALSE(connection->Receive(lateId).has_value());
  EXPECT_FALSE(connection->Receive(earlyId).has_value());
  auto after = TagReadOf("after");
  EXPECT_EQ(connection->Call(after)->tag_value().value(), "after");
  EXPECT_TRUE(connection->usable());
}

}  // namespace
}  // namespace znapi::detail
