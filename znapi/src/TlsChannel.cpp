#include "TlsChannel.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <sys/socket.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <mutex>

namespace znapi::detail {
namespace {

std::string OpenSslError() {
  const unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return "the connection ended";
  char text[256];
  ERR_error_string_n(code, text, sizeof text);
  return text;
}

// OpenSSL's own socket BIO writes with write(), which raises SIGPIPE in the caller's process
// when the server has gone; the library's host must never be killed by that. This one sends
// with MSG_NOSIGNAL, as the plain stream does, and never waits: the socket stays blocking for
// the stream's own waits in the kernel, and every wait of TLS goes through the stream.
int SocketOf(BIO* bio) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(bio)));
}

int Transferred(BIO* bio, ssize_t result, bool reading) {
  BIO_clear_retry_flags(bio);
  if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
    reading ? BIO_set_retry_read(bio) : BIO_set_retry_write(bio);
  }
  return static_cast<int>(result);
}

int SocketWrite(BIO* bio, const char* data, int size) {
  return Transferred(
      bio, ::send(SocketOf(bio), data, static_cast<std::size_t>(size), MSG_NOSIGNAL | MSG_DONTWAIT),
      false);
}

int SocketRead(BIO* bio, char* out, int size) {
  return Transferred(bio, ::recv(SocketOf(bio), out, static_cast<std::size_t>(size), MSG_DONTWAIT),
                     true);
}

long SocketControl(BIO*, int command, long, void*) {
  return command == BIO_CTRL_FLUSH ? 1 : 0;
}

BIO_METHOD* MakeSocketMethod() {
  BIO_METHOD* method = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "znapi socket");
  if (method &&
      (BIO_meth_set_write(method, SocketWrite) != 1 || BIO_meth_set_read(method, SocketRead) != 1 ||
       BIO_meth_set_ctrl(method, SocketControl) != 1)) {
    BIO_meth_free(method);
    return nullptr;
  }
  return method;
}

// One context per trust store, made again only when ZNAPI_TLS_CA changes: loading the system's
// store for every connection would cost more than the handshake.
class Contexts {
 public:
  Contexts() {
    // Initialised first, so that OpenSSL's own clean-up at exit runs after this destructor.
    OPENSSL_init_ssl(0, nullptr);
    socketMethod_ = MakeSocketMethod();
  }
  ~Contexts() {
    SSL_CTX_free(context_);
    BIO_meth_free(socketMethod_);
  }

  const BIO_METHOD* socketMethod() const { return socketMethod_; }

  /// A new reference to the context for the current ZNAPI_TLS_CA; nullptr with `why`.
  SSL_CTX* Get(std::string& why) {
    const char* env = std::getenv("ZNAPI_TLS_CA");
    const std::string caFile = env ? env : "";
    std::lock_guard lock(mutex_);
    if (!context_ || caFile != caFile_) {
      SSL_CTX* made = Make(caFile, why);
      if (!made) return nullptr;
      SSL_CTX_free(context_);
      context_ = made;
      caFile_ = caFile;
    }
    SSL_CTX_up_ref(context_);
    return context_;
  }

 private:
  static SSL_CTX* Make(const std::string& caFile, std::string& why) {
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context) {
      why = "cannot set up TLS: " + OpenSslError();
      return nullptr;
    }
    SSL_CTX_set_min_proto_version(context, TLS1_3_VERSION);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    const bool loaded = caFile.empty()
                            ? SSL_CTX_set_default_verify_paths(context) == 1
                            : SSL_CTX_load_verify_locations(context, caFile.c_str(), nullptr) == 1;
    if (!loaded) {
      why = caFile.empty() ? "cannot load the system's trusted certificates: " + OpenSslError()
                           : "cannot load the CA file '" + caFile + "': " + OpenSslError();
      SSL_CTX_free(context);
      return nullptr;
    }
    return context;
  }

  BIO_METHOD* socketMethod_ = nullptr;
  std::mutex mutex_;
  SSL_CTX* context_ = nullptr;
  std::string caFile_;
};

Contexts& SharedContexts() {
  static Contexts contexts;
  return contexts;
}

}  // namespace

std::unique_ptr<TlsChannel> TlsChannel::Begin(int fd, const std::string& host, std::string peer,
                                              std::string& why) {
  SSL_CTX* context = SharedContexts().Get(why);
  if (!context) return nullptr;
  SSL* ssl = SSL_new(context);
  SSL_CTX_free(context);  // the session holds its own reference
  if (!ssl) {
    why = "cannot set up TLS: " + OpenSslError();
    return nullptr;
  }
  std::unique_ptr<TlsChannel> channel(new TlsChannel(ssl, host, std::move(peer)));
  // An address is checked against the certificate's IP entries, a name against its DNS
  // entries (and sent as the server name, for servers that hold several certificates).
  const bool isAddress = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str()) == 1;
  if (!isAddress &&
      (SSL_set1_host(ssl, host.c_str()) != 1 || SSL_set_tlsext_host_name(ssl, host.c_str()) != 1)) {
    why = "cannot set up TLS for '" + host + "': " + OpenSslError();
    return nullptr;
  }
  BIO* socket =
      SharedContexts().socketMethod() ? BIO_new(SharedContexts().socketMethod()) : nullptr;
  if (!socket) {
    why = "cannot set up TLS: " + OpenSslError();
    return nullptr;
  }
  BIO_set_data(socket, reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)));
  BIO_set_init(socket, 1);
  SSL_set_bio(ssl, socket, socket);  // the session owns it now
  // A reply's record header and body, and the records behind it, come in one receive.
  SSL_set_read_ahead(ssl, 1);
  SSL_set_connect_state(ssl);
  return channel;
}

TlsChannel::~TlsChannel() {
  SSL_free(ssl_);
}

TlsChannel::Status TlsChannel::Handshake(std::string& why) {
  ERR_clear_error();
  const int result = SSL_do_handshake(ssl_);
  const Status status = Outcome(result);
  if (status != Status::Failed && status != Status::Closed) return status;
  const long verified = SSL_get_verify_result(ssl_);
  if (verified == X509_V_ERR_HOSTNAME_MISMATCH || verified == X509_V_ERR_IP_ADDRESS_MISMATCH) {
    why = "host name mismatch: the certificate of " + peer_ + " is not for " + host_;
  } else if (verified != X509_V_OK) {
    why = "certificate of " + peer_ + " not trusted: " + X509_verify_cert_error_string(verified);
  } else {
    // Most often a server that speaks no TLS at all: say how to reach one, and at what cost.
    why = "TLS handshake with " + peer_ + " failed: " + OpenSslError() +
          "; a server without TLS is reached as plain://" + peer_ +
          ", which sends the password in clear";
  }
  ERR_clear_error();
  return Status::Failed;
}

TlsChannel::Status TlsChannel::Read(char* out, std::size_t size, std::size_t& received) {
  ERR_clear_error();
  const int result = SSL_read_ex(ssl_, out, size, &received);
  return Outcome(result);
}

bool TlsChannel::HasPending() const {
  return SSL_has_pending(ssl_) == 1;
}

TlsChannel::Status TlsChannel::Write(std::string_view bytes, std::size_t& written) {
  ERR_clear_error();
  const int result = SSL_write_ex(ssl_, bytes.data(), bytes.size(), &written);
  return Outcome(result);
}

TlsChannel::Status TlsChannel::Outcome(int result) {
  if (result == 1) return Status::Done;
  switch (SSL_get_error(ssl_, result)) {
    case SSL_ERROR_WANT_READ:
      return Status::WantRead;
    case SSL_ERROR_WANT_WRITE:
      return Status::WantWrite;
    case SSL_ERROR_ZERO_RETURN:
      return Status::Closed;
    default:
      return Status::Failed;
  }
}

}  // namespace znapi::detail
