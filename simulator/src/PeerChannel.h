#pragma once
/// The transport of a pair's link: one TCP connection, in TLS when both servers have a
/// certificate, over which the two servers prove to each other that they share the secret
/// (see PeerKeys.h) and then exchange sealed frames.
///
/// The side that dials opens with eight bytes, "ZNPEER1" and 'T' (it has a certificate and
/// asks for TLS) or 'P'; the first of them tells the server's front a peer from a client
/// (whose plain frames begin with 0x00, TLS with 0x16). The acceptor answers 'T' when it
/// has a certificate too, otherwise 'P', and the two go on in TLS or plain. A server started
/// TLS-only refuses a plain link. The certificate is not checked: the proofs over the
/// transcript, which binds the TLS session, are what authenticates.
#include <asio.hpp>
#include <asio/ssl.hpp>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

#include "FrameReader.h"
#include "PeerKeys.h"

namespace google::protobuf {
class MessageLite;
}

namespace znsim {

/// What a server's links all share.
struct PeerSettings {
  std::string name;  // this server's
  PeerKey secret{};
  std::shared_ptr<asio::ssl::context> tlsServer;  // null: this server has no certificate
  std::shared_ptr<asio::ssl::context> tlsClient;  // set exactly when tlsServer is
  bool tlsOnly = false;
  std::chrono::milliseconds openDeadline{5000};  // to connect, negotiate and authenticate
  std::chrono::milliseconds heartbeat{1000};     // a frame at least this often
  std::chrono::milliseconds silence{5000};       // a link that hears nothing this long is dead
};

/// Why a link could not be opened or ended; the text is for the log.
struct PeerError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

/// The first byte a dialing peer sends.
inline constexpr unsigned char kPeerOpening = 'Z';

class PeerChannel {
 public:
  enum class Role { Dialer, Acceptor };

  /// `socket` is connected already for an acceptor, or unconnected for a dialer. `address`
  /// names the other side in logs.
  PeerChannel(asio::ip::tcp::socket socket, Role role, std::string address,
              const PeerSettings& settings);
  PeerChannel(const PeerChannel&) = delete;
  PeerChannel& operator=(const PeerChannel&) = delete;

  /// Connects a dialer to `host`:`port`.
  asio::awaitable<void> Connect(std::string host, unsigned short port);
  /// Negotiates the transport and authenticates both sides; throws PeerError.
  asio::awaitable<void> Open();

  /// Sends one sealed frame; one sender at a time.
  asio::awaitable<void> Send(const google::protobuf::MessageLite& message);
  /// Receives the next sealed frame into `message`; one receiver at a time. Throws PeerError
  /// for a frame that fails its check or does not decode.
  asio::awaitable<void> Receive(google::protobuf::MessageLite& message);
  /// Whether a whole frame is already here, so that Receive will not wait.
  bool Buffered() const { return reader_.Poll() == znwire::FrameReader::State::Ready; }

  /// Ends the connection: every operation under way ends with an error.
  void Close();

  asio::any_io_executor executor() { return socket_.get_executor(); }
  Role role() const { return role_; }
  const std::string& address() const { return address_; }
  const std::string& peerName() const { return peerName_; }
  /// The name of the server that dialed this link.
  const std::string& dialerName() const {
    return role_ == Role::Dialer ? settings_.name : peerName_;
  }
  bool tls() const { return tls_ != nullptr; }

 private:
  asio::awaitable<void> Negotiate(Transcript& transcript);
  asio::awaitable<void> Authenticate(Transcript& transcript);
  asio::awaitable<void> WriteRaw(std::string_view bytes);
  asio::awaitable<void> ReadRaw(char* into, std::size_t size);
  asio::awaitable<std::size_t> ReadSome(char* into, std::size_t size);
  /// Sends and receives a handshake message, unsealed.
  asio::awaitable<void> SendPlain(const google::protobuf::MessageLite& message);
  asio::awaitable<void> ReceivePlain(google::protobuf::MessageLite& message);
  asio::awaitable<std::string_view> NextFrame();

  asio::ip::tcp::socket socket_;
  std::unique_ptr<asio::ssl::stream<asio::ip::tcp::socket&>> tls_;
  Role role_;
  std::string address_;
  const PeerSettings& settings_;
  std::string peerName_;
  znwire::FrameReader reader_;
  std::string frame_;  // the frame being sent
  std::unique_ptr<FrameSeal> sendSeal_;
  std::unique_ptr<FrameSeal> receiveSeal_;
};

/// The TLS contexts of a server with a certificate: for the links it accepts, and for those
/// it dials.
std::shared_ptr<asio::ssl::context> PeerTlsServer(const std::string& certFile,
                                                  const std::string& keyFile);
std::shared_ptr<asio::ssl::context> PeerTlsClient();

}  // namespace znsim
