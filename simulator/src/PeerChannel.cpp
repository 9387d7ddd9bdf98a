#include "PeerChannel.h"

#include <openssl/ssl.h>
#include <sodium.h>

#include <array>

#include "framing.h"
#include "znpeer.pb.h"

namespace znsim {

namespace {

constexpr std::string_view kGreeting = "ZNPEER1";  // then 'T' or 'P'
constexpr char kTls = 'T';
constexpr char kPlain = 'P';
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kNonceBytes = 32;
constexpr std::size_t kLongestName = 64;
// Frames of the handshake are small; a stranger cannot make the server hold more.
constexpr std::uint32_t kHandshakeFrameBytes = 4096;
constexpr std::size_t kReadChunk = 64 * 1024;

std::string Nonce() {
  std::string nonce(kNonceBytes, '\0');
  randombytes_buf(nonce.data(), nonce.size());
  return nonce;
}

// A value both ends of one TLS session share and no other session has: a handshake relayed
// between two sessions fails its proofs.
std::string SessionBinding(SSL* ssl) {
  static constexpr char kLabel[] = "EXPORTER-znsim-peer";
  std::string value(32, '\0');
  if (SSL_export_keying_material(ssl, reinterpret_cast<unsigned char*>(value.data()), value.size(),
                                 kLabel, sizeof kLabel - 1, nullptr, 0, 0) != 1) {
    throw PeerError("the TLS session gives no keying material");
  }
  return value;
}

}  // namespace

PeerChannel::PeerChannel(asio::ip::tcp::socket socket, Role role, std::string address,
                         const PeerSettings& settings)
    : socket_(std::move(socket)),
      role_(role),
      address_(std::move(address)),
      settings_(settings),
      reader_(kHandshakeFrameBytes) {}

asio::awaitable<void> PeerChannel::Connect(std::string host, unsigned short port) {
  asio::ip::tcp::resolver resolver(socket_.get_executor());
  const auto endpoints =
      co_await resolver.async_resolve(host, std::to_string(port), asio::use_awaitable);
  co_await asio::async_connect(socket_, endpoints, asio::use_awaitable);
  socket_.set_option(asio::ip::tcp::no_delay(true));
}

asio::awaitable<void> PeerChannel::Open() {
  Transcript transcript;
  co_await Negotiate(transcript);
  co_await Authenticate(transcript);
  reader_.set_limit(znwire::kMaxFrameBytes);
}

asio::awaitable<void> PeerChannel::Negotiate(Transcript& transcript) {
  const bool certificate = settings_.tlsServer != nullptr;
  char asked = 0;
  char answer = 0;
  if (role_ == Role::Dialer) {
    asked = certificate ? kTls : kPlain;
    co_await WriteRaw(std::string(kGreeting) + asked);
    co_await ReadRaw(&answer, 1);
    if (answer != kPlain && (answer != kTls || !certificate)) {
      throw PeerError("the peer answered the opening with something else");
    }
  } else {
    std::array<char, kGreeting.size() + 1> greeting{};
    co_await ReadRaw(greeting.data(), greeting.size());
    asked = greeting.back();
    if (std::string_view(greeting.data(), kGreeting.size()) != kGreeting ||
        (asked != kTls && asked != kPlain)) {
      throw PeerError("not a znsim peer: its opening is unknown");
    }
    answer = asked == kTls && certificate ? kTls : kPlain;
    co_await WriteRaw(std::string_view(&answer, 1));
  }
  if (answer == kPlain && settings_.tlsOnly) {
    throw PeerError("refused: the peer has no certificate and this server is TLS-only");
  }
  transcript.Add(std::string_view(&asked, 1)).Add(std::string_view(&answer, 1));
  if (answer != kTls) co_return;
  const bool dialer = role_ == Role::Dialer;
  tls_ = std::make_unique<asio::ssl::stream<asio::ip::tcp::socket&>>(
      socket_, dialer ? *settings_.tlsClient : *settings_.tlsServer);
  co_await tls_->async_handshake(
      dialer ? asio::ssl::stream_base::client : asio::ssl::stream_base::server,
      asio::use_awaitable);
  transcript.Add(SessionBinding(tls_->native_handle()));
}

asio::awaitable<void> PeerChannel::Authenticate(Transcript& transcript) {
  const auto checkName = [this](const std::string& name) {
    if (name.empty() || name.size() > kLongestName)
      throw PeerError("the peer gives no usable name");
    if (name == settings_.name) {
      throw PeerError("the peer is also named '" + name +
                      "'; give each server of a pair its own --name");
    }
  };
  znpeer::Hello hello;
  znpeer::Challenge challenge;
  if (role_ == Role::Dialer) {
    hello.set_version(kVersion);
    hello.set_name(settings_.name);
    hello.set_nonce(Nonce());
    co_await SendPlain(hello);
    co_await ReceivePlain(challenge);
    checkName(challenge.name());
  } else {
    co_await ReceivePlain(hello);
    if (hello.version() != kVersion) {
      throw PeerError("the peer speaks version " + std::to_string(hello.version()) +
                      " of the pair's protocol, this server " + std::to_string(kVersion));
    }
    checkName(hello.name());
    challenge.set_name(settings_.name);
    challenge.set_nonce(Nonce());
  }
  if (hello.nonce().size() != kNonceBytes || challenge.nonce().size() != kNonceBytes) {
    throw PeerError("the peer's opening is malformed");
  }
  transcript.Add(hello.name()).Add(hello.nonce()).Add(challenge.name()).Add(challenge.nonce());
  const PeerProofs proofs(settings_.secret, transcript);
  constexpr const char* kWrongSecret = "the peer does not know the pair's secret";
  znpeer::Proof proof;
  if (role_ == Role::Dialer) {
    if (!PeerProofs::Same(challenge.proof(), proofs.AcceptorProof())) throw PeerError(kWrongSecret);
    proof.set_proof(proofs.DialerProof());
    co_await SendPlain(proof);
    peerName_ = challenge.name();
    sendSeal_ = std::make_unique<FrameSeal>(proofs.DialerKey());
    receiveSeal_ = std::make_unique<FrameSeal>(proofs.AcceptorKey());
  } else {
    challenge.set_proof(proofs.AcceptorProof());
    co_await SendPlain(challenge);
    co_await ReceivePlain(proof);
    if (!PeerProofs::Same(proof.proof(), proofs.DialerProof())) throw PeerError(kWrongSecret);
    peerName_ = hello.name();
    sendSeal_ = std::make_unique<FrameSeal>(proofs.AcceptorKey());
    receiveSeal_ = std::make_unique<FrameSeal>(proofs.DialerKey());
  }
}

asio::awaitable<void> PeerChannel::Send(const google::protobuf::MessageLite& message) {
  std::string body;
  message.SerializeToString(&body);
  sendSeal_->Seal(body);
  if (body.size() > znwire::kMaxFrameBytes) throw PeerError("a frame for the peer is too large");
  frame_.resize(znwire::kHeaderBytes);
  znwire::WriteHeader(static_cast<std::uint32_t>(body.size()), frame_.data());
  frame_ += body;
  co_await WriteRaw(frame_);
}

asio::awaitable<void> PeerChannel::Receive(google::protobuf::MessageLite& message) {
  std::string_view body = co_await NextFrame();
  if (!receiveSeal_->Open(body)) throw PeerError("a frame from the peer failed its check");
  if (!message.ParseFromArray(body.data(), static_cast<int>(body.size()))) {
    throw PeerError("a frame from the peer does not decode");
  }
  reader_.Pop();
}

asio::awaitable<void> PeerChannel::SendPlain(const google::protobuf::MessageLite& message) {
  if (!znwire::EncodeFrameInto(message, frame_))
    throw PeerError("a frame for the peer is too large");
  co_await WriteRaw(frame_);
}

asio::awaitable<void> PeerChannel::ReceivePlain(google::protobuf::MessageLite& message) {
  const std::string_view body = co_await NextFrame();
  if (!message.ParseFromArray(body.data(), static_cast<int>(body.size()))) {
    throw PeerError("the peer's opening does not decode");
  }
  reader_.Pop();
}

asio::awaitable<std::string_view> PeerChannel::NextFrame() {
  while (true) {
    switch (reader_.Poll()) {
      case znwire::FrameReader::State::Ready:
        co_return reader_.Body();
      case znwire::FrameReader::State::Oversized:
        throw PeerError("the peer sent a frame over the size limit");
      case znwire::FrameReader::State::NeedMore:
        break;
    }
    const std::size_t want = std::max(reader_.Missing(), kReadChunk);
    reader_.Commit(co_await ReadSome(reader_.Space(want), want));
  }
}

asio::awaitable<void> PeerChannel::WriteRaw(std::string_view bytes) {
  if (tls_) {
    co_await asio::async_write(*tls_, asio::buffer(bytes), asio::use_awaitable);
  } else {
    co_await asio::async_write(socket_, asio::buffer(bytes), asio::use_awaitable);
  }
}

asio::awaitable<void> PeerChannel::ReadRaw(char* into, std::size_t size) {
  // Exactly `size` bytes: what follows the opening may be a TLS handshake, read by TLS.
  co_await asio::async_read(socket_, asio::buffer(into, size), asio::use_awaitable);
}

asio::awaitable<std::size_t> PeerChannel::ReadSome(char* into, std::size_t size) {
  if (tls_) co_return co_await tls_->async_read_some(asio::buffer(into, size), asio::use_awaitable);
  co_return co_await socket_.async_read_some(asio::buffer(into, size), asio::use_awaitable);
}

void PeerChannel::Close() {
  asio::error_code ec;
  socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ec);
  socket_.close(ec);
}

std::shared_ptr<asio::ssl::context> PeerTlsServer(const std::string& certFile,
                                                  const std::string& keyFile) {
  auto context = std::make_shared<asio::ssl::context>(asio::ssl::context::tls_server);
  SSL_CTX_set_min_proto_version(context->native_handle(), TLS1_3_VERSION);
  context->use_certificate_chain_file(certFile);
  context->use_private_key_file(keyFile, asio::ssl::context::pem);
  return context;
}

std::shared_ptr<asio::ssl::context> PeerTlsClient() {
  auto context = std::make_shared<asio::ssl::context>(asio::ssl::context::tls_client);
  SSL_CTX_set_min_proto_version(context->native_handle(), TLS1_3_VERSION);
  // The proofs over the transcript authenticate the peer (see the top of PeerChannel.h).
  context->set_verify_mode(asio::ssl::verify_none);
  return context;
}

}  // namespace znsim
