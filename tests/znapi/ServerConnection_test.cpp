// The connection against a server that misbehaves on purpose: every fault must end in a
// failed call and an unusable connection, never in a hang or a crash.
#include "ServerConnection.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "LastError.h"
#include "framing.h"

namespace znapi::detail {
namespace {

using namespace std::chrono_literals;
using Reply = std::function<std::optional<std::string>(std::uint32_t)>;

// A one-connection server on 127.0.0.1 whose replies a test scripts byte for byte, to show
// the client replies no well-behaved server would send. For each request the script gives
// the bytes to send: empty sends nothing (the server stays silent), nullopt hangs up.
class ScriptedServer {
 public:
  using Script = std::function<std::optional<std::string>(const znwire::Request&)>;

  explicit ScriptedServer(Script script) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(listener_, 4) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      throw std::runtime_error("listen failed");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, script = std::move(script)] {
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      const int on = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      znwire::FrameHeader header;
      znwire::Request request;
      while (fd >= 0 && ReadExactly(fd, header.data(), header.size())) {
        std::string body(znwire::BodyLength(header).value_or(0), '\0');
        if (!ReadExactly(fd, body.data(), body.size()) || !request.ParseFromString(body)) break;
        ++requests_;
        const auto reply = script(request);
        if (!reply) break;
        // A byte at a time, so the client sees the reply in the smallest pieces.
        for (char c : *reply) {
          if (write(fd, &c, 1) != 1) break;
        }
      }
      close(fd);
    });
  }
  // Each test closes its client first, which ends the conversation; the shutdown ends a wait
  // for a client that never came.
  ~ScriptedServer() {
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    close(listener_);
  }
  std::uint16_t port() const { return port_; }
  int requests() const { return requests_; }

 private:
  static bool ReadExactly(int fd, void* out, std::size_t n) {
    return recv(fd, out, n, MSG_WAITALL) == static_cast<ssize_t>(n);
  }

  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<int> requests_{0};
  std::thread thread_;
};

std::string ResponseFrame(std::uint32_t id, bool ok) {
  znwire::Response response;
  response.set_id(id);
  response.set_ok(ok);
  return *znwire::EncodeFrame(response);
}

std::shared_ptr<ServerConnection> OpenTo(const ScriptedServer& server,
                                         Deadlines deadlines = {1500ms, 1000ms}) {
  return ServerConnection::Open({"127.0.0.1", server.port()}, {"Engineer", "Marlow", 0}, deadlines);
}

znwire::Request TagReadOf(const std::string& tag) {
  znwire::Request request;
  request.mutable_tag_read()->set_tag(tag);
  return request;
}

// Replies no correct server sends; each must break the connection for good and say why. A
// reply that shows its fault (the size announced in its first bytes included) fails the call at
// once; only one that stops short waits for the request deadline.
TEST(ServerConnection, FaultyRepliesBreakTheConnection) {
  struct Case {
    const char* what;
    Reply reply;
    bool stopsShort;
    const char* reason;  // PEER stands for the server's address
  };
  const Case cases[] = {
      {"another request's id", [](std::uint32_t id) { return ResponseFrame(id + 1, true); }, false,
       "reply from PEER to a request never sent"},
      {"an oversized frame", [](std::uint32_t) { return std::string("\x01\0\0\x01", 4); }, false,
       "reply from PEER over the frame size limit"},
      {"an unreadable body", [](std::uint32_t) { return std::string("\0\0\0\3\xff\xff\xff", 7); },
       false, "malformed reply from PEER"},
      {"a hang-up", [](std::uint32_t) { return std::nullopt; }, false, "connection closed by PEER"},
      {"half a frame", [](std::uint32_t) { return std::string("\0\0", 2); }, true,
       "no answer from PEER within 1 s"},
      {"silence", [](std::uint32_t) { return std::string(); }, true,
       "no answer from PEER within 1 s"},
  };
  for (const auto& [what, reply, stopsShort, reasonPattern] : cases) {
    ScriptedServer server([&](const znwire::Request& r) -> std::optional<std::string> {
      if (r.has_login()) return ResponseFrame(r.id(), true);
      return reply(r.id());
    });
    const std::string peer = "127.0.0.1:" + std::to_string(server.port());
    std::string reason = reasonPattern;
    reason.replace(reason.find("PEER"), 4, peer);
    const auto requestDeadline = stopsShort ? 1000ms : 30000ms;
    auto connection = OpenTo(server, {1500ms, requestDeadline});
    ASSERT_NE(connection, nullptr) << what;
    std::lock_guard lock(connection->mutex());
    auto request = TagReadOf("T");
    znwire::Response response;
    const auto start = std::chrono::steady_clock::now();
    ClearReason();
    EXPECT_FALSE(connection->Call(request, response)) << what;
    EXPECT_EQ(Reason(), reason);
    if (!stopsShort) {
      EXPECT_LT(std::chrono::steady_clock::now() - start, requestDeadline / 3) << what;
    }
    EXPECT_FALSE(connection->usable()) << what;
    // A later call fails at once, without reaching the server, and repeats why.
    const int before = server.requests();
    auto again = TagReadOf("T");
    ClearReason();
    EXPECT_FALSE(connection->Call(again, response)) << what;
    EXPECT_EQ(server.requests(), before) << what;
    EXPECT_EQ(Reason(), "connection to " + peer + " failed earlier (" + reason +
                            "); close it and open another");
  }
}

TEST(ServerConnection, SilentLoginFailsAtTheConnectDeadline) {
  ScriptedServer server([](const znwire::Request&) { return std::string(); });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(OpenTo(server), nullptr);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 1400ms) << "gave up before the deadline";
}

TEST(ServerConnection, RequestLargerThanTheSocketBuffersIsSentWhole) {
  // Larger than loopback's send and receive buffers together: the first write cannot take it
  // all, and the rest must follow as the peer makes room.
  const std::string huge(12 * 1024 * 1024, 'T');
  ScriptedServer server([&](const znwire::Request& r) -> std::optional<std::string> {
    return ResponseFrame(r.id(), r.has_login() || r.tag_read().tag() == huge);
  });
  auto connection = OpenTo(server, {5000ms, 30000ms});
  ASSERT_NE(connection, nullptr);
  std::lock_guard lock(connection->mutex());
  auto request = TagReadOf(huge);
  znwire::Response response;
  ASSERT_TRUE(connection->Call(request, response));
  EXPECT_TRUE(response.ok()) << "the server saw a different request";
}

TEST(ServerConnection, EachReplyGoesToItsRequestEvenOutOfTurnOrIsDroppedIfAbandoned) {
  // Answers every tag read with the tag's own name, so each reply says which request it is for.
  ScriptedServer server([](const znwire::Request& r) {
    znwire::Response response;
    response.set_id(r.id());
    response.set_ok(true);
    response.mutable_tag_value()->set_value(r.tag_read().tag());
    return std::optional(*znwire::EncodeFrame(response));
  });
  auto connection = OpenTo(server);
  ASSERT_NE(connection, nullptr);
  std::lock_guard lock(connection->mutex());
  const auto send = [&](const char* tag) {
    auto request = TagReadOf(tag);
    return connection->Send(request);
  };
  const auto call = [&](const char* tag) {
    auto request = TagReadOf(tag);
    znwire::Response response;
    connection->Call(request, response);
    return response.tag_value().value();
  };
  // The value a reply to `id` carries, or "<none>" when there is no reply to collect.
  const auto receive = [&](std::uint32_t id) -> std::string {
    znwire::Response response;
    return connection->Receive(id, response) ? response.tag_value().value() : "<none>";
  };
  const auto a = send("A");
  const auto b = send("B");
  ASSERT_NE(a, 0u);
  // B is collected first although A's reply comes first on the stream.
  EXPECT_EQ(receive(b), "B");
  EXPECT_EQ(call("C"), "C");
  EXPECT_EQ(receive(a), "A");
  EXPECT_EQ(receive(a), "<none>") << "a reply is handed out once";

  const auto late = send("late");
  connection->Abandon(late);  // its reply has not arrived yet
  const auto early = send("early");
  EXPECT_EQ(call("probe"), "probe");
  connection->Abandon(early);  // its reply was read and kept while waiting for the probe
  EXPECT_EQ(receive(late), "<none>");
  EXPECT_EQ(receive(early), "<none>");
  EXPECT_EQ(call("after"), "after");
  EXPECT_TRUE(connection->usable());
}

}  // namespace
}  // namespace znapi::detail
