// The library's read path over TLS, against a server that says anything once the handshake
// is done: replies of any length and content, bytes outside any record, key updates, a
// close_notify or none. The client is the real ServerConnection: each call ends, by a reply
// to it or by a failure, never by a hang or a crash, and a reply it accepts is its own.
#include <google/protobuf/stubs/logging.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <stdlib.h>  // mkdtemp, setenv
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <string>
#include <thread>

#include "Require.h"
#include "ServerConnection.h"
#include "TestCertificates.h"
#include "framing.h"
#include "znwire.pb.h"

namespace {

using namespace std::chrono_literals;
using znapi::detail::ServerConnection;

// A TLS server on a loopback port, with a certificate the client trusts.
struct World {
  World() {
    // This server writes through OpenSSL's socket BIO, whose write() raises SIGPIPE once the
    // client has closed; it would end the run without a word. The library's own sends do
    // not raise it, and the client is what is under test.
    std::signal(SIGPIPE, SIG_IGN);
    // A reply that is not UTF-8 where text belongs is a case to try, not news to print.
    google::protobuf::SetLogHandler(nullptr);
    char folder[] = "/tmp/znapi-tls-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr) abort();
    const auto certificate = testing_support::MakeServerCertificate(folder, "IP:127.0.0.1");
    setenv("ZNAPI_TLS_CA", certificate.ca.c_str(), 1);
    context = SSL_CTX_new(TLS_server_method());
    if (!context || SSL_CTX_use_certificate_chain_file(context, certificate.cert.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, certificate.key.c_str(), SSL_FILETYPE_PEM) != 1)
      abort();
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(listener, 4) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      abort();
    port = ntohs(address.sin_port);
  }
  SSL_CTX* context = nullptr;
  int listener = -1;
  std::uint16_t port = 0;
};

World& TheWorld() {
  static World world;
  return world;
}

std::string Frame(const znwire::Response& response) {
  return znwire::EncodeFrame(response).value_or(std::string());
}

// Plays the input as the server's side of one connection: the login's reply, then steps of
// [kind][length, 2 bytes][bytes] until the input ends, then the end of its sending. The low
// bits of kind choose the step; a reply takes its flags from the high ones.
void Serve(int fd, const std::uint8_t* data, std::size_t size) {
  // Steps go out as they are written, as znsim's replies do, not held back by Nagle's delay.
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  SSL* ssl = SSL_new(TheWorld().context);
  SSL_set_fd(ssl, fd);
  if (SSL_accept(ssl) == 1) {
    znwire::Response login;
    login.set_id(1);
    login.set_ok(true);
    const std::string welcome = Frame(login);
    bool open = SSL_write(ssl, welcome.data(), static_cast<int>(welcome.size())) > 0;
    std::uint32_t nextId = 2;
    while (open && size >= 3) {
      const std::uint8_t kind = data[0];
      const std::size_t length = std::min<std::size_t>(size - 3, (data[1] << 8) | data[2]);
      const char* bytes = reinterpret_cast<const char*>(data + 3);
      data += 3 + length;
      size -= 3 + length;
      switch ((kind & 7) % 5) {
        case 0: {  // a well-formed reply to the next request, or to another
          znwire::Response reply;
          reply.set_id(kind & 0x80 ? nextId + (kind >> 3) % 3 - 1 : nextId);
          reply.set_ok(kind & 0x40);
          reply.mutable_tag_value()->set_value(std::string(bytes, length));
          ++nextId;
          const std::string frame = Frame(reply);
          open = SSL_write(ssl, frame.data(), static_cast<int>(frame.size())) > 0;
          break;
        }
        case 1:  // any bytes in a record: a frame header, a part of one, garbage
          open = length == 0 || SSL_write(ssl, bytes, static_cast<int>(length)) > 0;
          break;
        case 2:  // bytes outside any record
          open = ::send(fd, bytes, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
          break;
        case 3:
          open =
              SSL_key_update(ssl, SSL_KEY_UPDATE_NOT_REQUESTED) == 1 && SSL_do_handshake(ssl) == 1;
          break;
        default:
          SSL_shutdown(ssl);
          open = false;
      }
    }
  }
  // Ends the sending and waits for the client to close: its reads see everything sent, and
  // the end, never a reset.
  ::shutdown(fd, SHUT_WR);
  char sink[4096];
  while (::recv(fd, sink, sizeof sink, 0) > 0) {
  }
  SSL_free(ssl);
  ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  World& world = TheWorld();
  std::thread server([&] {
    pollfd waiting{world.listener, POLLIN, 0};
    if (::poll(&waiting, 1, 10000) != 1) return;  // the client gave up before connecting
    const int fd = ::accept4(world.listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) Serve(fd, data, size);
  });
  {
    // The server always ends its side: no call waits for its deadline, which is there only
    // to turn a hang into a finding.
    const auto connection =
        ServerConnection::Open({"127.0.0.1", world.port, znapi::detail::Transport::Tls},
                               {"Engineer", "secret", 0}, {5s, 5s});
    for (int call = 0; connection && call < 4; ++call) {
      znwire::Request request;
      request.mutable_tag_read()->set_tag("LIT101");
      znwire::Response response;
      const auto start = std::chrono::steady_clock::now();
      const bool answered = connection->Call(request, response);
      Require(std::chrono::steady_clock::now() - start < 4s);
      if (!answered) break;
      Require(response.id() == request.id());
    }
  }
  server.join();
  return 0;
}
