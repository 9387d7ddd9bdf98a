#include "TlsChannel.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>
#include <map>
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

// Sessions kept for resumption, one per server; a process reaches a handful.
constexpr std::size_t kMaxSessions = 64;
// Plain bytes made into records before they are sent: a large request goes out in sends of
// this size, without a copy of all of it in records. The room stays for the next request.
constexpr std::size_t kRecordsPerWrite = 1024 * 1024;
// Records taken from the socket at once: a large reply comes in receives of about this size.
constexpr std::size_t kRecordsPerRead = 256 * 1024;

}  // namespace

// Reads the socket, waiting only where a read allows it once: the socket stays blocking for
// the stream's own waits in the kernel, and every other wait of TLS goes through the stream.
// Records made are kept for Flush(), which sends them in one go (a large request's records
// too) with MSG_NOSIGNAL, as the plain stream does: OpenSSL's own socket BIO writes with
// write(), which raises SIGPIPE in the caller's process when the server has gone, and the
// library's host must never be killed by that.
struct SocketBio {
  static TlsChannel& Of(BIO* bio) { return *static_cast<TlsChannel*>(BIO_get_data(bio)); }

  static int Write(BIO* bio, const char* data, int size) {
    BIO_clear_retry_flags(bio);
    Of(bio).records_.append(data, static_cast<std::size_t>(size));
    return size;
  }

  static int Read(BIO* bio, char* out, int size) {
    TlsChannel& channel = Of(bio);
    const int flags = channel.mayWait_ ? 0 : MSG_DONTWAIT;
    channel.mayWait_ = false;
    const ssize_t got = ::recv(channel.fd_, out, static_cast<std::size_t>(size), flags);
    BIO_clear_retry_flags(bio);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      BIO_set_retry_read(bio);
    }
    return static_cast<int>(got);
  }

  static long Control(BIO*, int command, long, void*) { return command == BIO_CTRL_FLUSH ? 1 : 0; }

  static BIO_METHOD* Make() {
    BIO_METHOD* method = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "znapi socket");
    if (method && (BIO_meth_set_write(method, Write) != 1 || BIO_meth_set_read(method, Read) != 1 ||
                   BIO_meth_set_ctrl(method, Control) != 1)) {
      BIO_meth_free(method);
      return nullptr;
    }
    return method;
  }
};

// One context per trust store, made again only when ZNAPI_TLS_CA changes: loading the system's
// store for every connection would cost more than the handshake. The sessions kept for
// resumption belong to the context: a session checked against another trust store is not
// resumed.
struct SessionCache {
  SessionCache() {
    // Initialised first, so that OpenSSL's own clean-up at exit runs after this destructor.
    OPENSSL_init_ssl(0, nullptr);
    socketMethod = SocketBio::Make();
  }
  ~SessionCache() {
    Forget();
    SSL_CTX_free(context);
    BIO_meth_free(socketMethod);
  }

  /// A new reference to the context for the current ZNAPI_TLS_CA; nullptr with `why`.
  SSL_CTX* Context(std::string& why) {
    const char* env = std::getenv("ZNAPI_TLS_CA");
    const std::string wanted = env ? env : "";
    std::lock_guard lock(mutex);
    if (!context || wanted != caFile) {
      SSL_CTX* made = Make(wanted, why);
      if (!made) return nullptr;
      Forget();
      SSL_CTX_free(context);
      context = made;
      caFile = wanted;
    }
    SSL_CTX_up_ref(context);
    return context;
  }

  /// Offers `ssl` the session kept for its server, if its context is the current one.
  void Offer(SSL* ssl, const std::string& peer) {
    std::lock_guard lock(mutex);
    const auto kept = sessions.find(peer);
    if (kept != sessions.end() && SSL_get_SSL_CTX(ssl) == context) {
      SSL_set_session(ssl, kept->second);
    }
  }

  /// OpenSSL's new-session callback: keeps the session a server's ticket makes, in place of
  /// the one before. Returns 1 when it took the reference.
  static int Keep(SSL* ssl, SSL_SESSION* session) {
    auto& cache = Shared();
    const auto& peer = static_cast<const TlsChannel*>(SSL_get_app_data(ssl))->peer_;
    std::lock_guard lock(cache.mutex);
    if (SSL_get_SSL_CTX(ssl) != cache.context) return 0;
    const auto kept = cache.sessions.find(peer);
    if (kept != cache.sessions.end()) {
      SSL_SESSION_free(kept->second);
      kept->second = session;
      return 1;
    }
    if (cache.sessions.size() >= kMaxSessions) {
      SSL_SESSION_free(cache.sessions.begin()->second);
      cache.sessions.erase(cache.sessions.begin());
    }
    cache.sessions.emplace(peer, session);
    return 1;
  }

  static SessionCache& Shared() {
    static SessionCache cache;
    return cache;
  }

  static SSL_CTX* Make(const std::string& caFile, std::string& why) {
    SSL_CTX* made = SSL_CTX_new(TLS_client_method());
    if (!made) {
      why = "cannot set up TLS: " + OpenSslError();
      return nullptr;
    }
    SSL_CTX_set_min_proto_version(made, TLS1_3_VERSION);
    SSL_CTX_set_verify(made, SSL_VERIFY_PEER, nullptr);
    // Sessions are kept here, by server, not in OpenSSL's cache, which a client never looks in.
    SSL_CTX_set_session_cache_mode(made, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(made, Keep);
    const bool loaded = caFile.empty()
                            ? SSL_CTX_set_default_verify_paths(made) == 1
                            : SSL_CTX_load_verify_locations(made, caFile.c_str(), nullptr) == 1;
    if (!loaded) {
      why = caFile.empty() ? "cannot load the system's trusted certificates: " + OpenSslError()
                           : "cannot load the CA file '" + caFile + "': " + OpenSslError();
      SSL_CTX_free(made);
      return nullptr;
    }
    return made;
  }

  void Forget() {
    for (const auto& [peer, session] : sessions) SSL_SESSION_free(session);
    sessions.clear();
  }

  BIO_METHOD* socketMethod = nullptr;
  std::mutex mutex;
  SSL_CTX* context = nullptr;
  std::string caFile;
  std::map<std::string, SSL_SESSION*> sessions;  // by "host:port"
};

std::unique_ptr<TlsChannel> TlsChannel::Begin(int fd, const std::string& host, std::string peer,
                                              std::string& why) {
  auto& cache = SessionCache::Shared();
  SSL_CTX* context = cache.Context(why);
  if (!context) return nullptr;
  SSL* ssl = SSL_new(context);
  SSL_CTX_free(context);  // the session holds its own reference
  if (!ssl) {
    why = "cannot set up TLS: " + OpenSslError();
    return nullptr;
  }
  std::unique_ptr<TlsChannel> channel(new TlsChannel(ssl, fd, host, std::move(peer)));
  SSL_set_app_data(ssl, channel.get());
  // An address is checked against the certificate's IP entries, a name against its DNS
  // entries (and sent as the server name, for servers that hold several certificates).
  const bool isAddress = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str()) == 1;
  if (!isAddress &&
      (SSL_set1_host(ssl, host.c_str()) != 1 || SSL_set_tlsext_host_name(ssl, host.c_str()) != 1)) {
    why = "cannot set up TLS for '" + host + "': " + OpenSslError();
    return nullptr;
  }
  BIO* socket = cache.socketMethod ? BIO_new(cache.socketMethod) : nullptr;
  if (!socket) {
    why = "cannot set up TLS: " + OpenSslError();
    return nullptr;
  }
  BIO_set_data(socket, channel.get());
  BIO_set_init(socket, 1);
  SSL_set_bio(ssl, socket, socket);  // the session owns it now
  // A reply's record header and body, and the records behind it, come in one receive.
  SSL_set_read_ahead(ssl, 1);
  SSL_set_default_read_buffer_len(ssl, kRecordsPerRead);
  cache.Offer(ssl, channel->peer_);
  SSL_set_connect_state(ssl);
  return channel;
}

TlsChannel::~TlsChannel() {
  // OpenSSL forgets a session that was not closed in order: say goodbye, so that the next
  // connection to this server can resume it. The socket is not waited for.
  if (SSL_is_init_finished(ssl_) && SSL_shutdown(ssl_) >= 0) Flush();
  ERR_clear_error();
  SSL_free(ssl_);
}

TlsChannel::Status TlsChannel::Handshake(std::string& why) {
  ERR_clear_error();
  const int result = SSL_do_handshake(ssl_);
  Status status = Outcome(result);
  // What the step made goes out before anything is waited for, an alert that ends a failed
  // handshake too.
  const Status flushed = Flush();
  if (status != Status::Failed && status != Status::Closed) {
    if (flushed != Status::Failed) return flushed == Status::Done ? status : flushed;
    status = Status::Failed;
  }
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

TlsChannel::Status TlsChannel::Read(char* out, std::size_t size, std::size_t& received,
                                    bool mayWait) {
  ERR_clear_error();
  mayWait_ = mayWait;
  const int result = SSL_read_ex(ssl_, out, size, &received);
  mayWait_ = false;
  // An alert a read made is told at once; an answer to a key update may wait for the next
  // request.
  if (!records_.empty()) Flush();
  return Outcome(result);
}

bool TlsChannel::HasPending() const {
  return SSL_has_pending(ssl_) == 1;
}

TlsChannel::Status TlsChannel::Write(std::string_view bytes, std::size_t& written) {
  written = 0;
  // Records made earlier go first: the rest of a large request, or what a read had to answer.
  if (const Status flushed = Flush(); flushed != Status::Done) return flushed;
  while (written < bytes.size()) {
    const std::string_view piece = bytes.substr(written, kRecordsPerWrite);
    std::size_t taken = 0;
    ERR_clear_error();
    if (const Status made = Outcome(SSL_write_ex(ssl_, piece.data(), piece.size(), &taken));
        made != Status::Done)
      return made;
    written += taken;
    if (const Status flushed = Flush(); flushed != Status::Done) return flushed;
  }
  return Status::Done;
}

TlsChannel::Status TlsChannel::Flush() {
  while (recordsSent_ < records_.size()) {
    const ssize_t sent = ::send(fd_, records_.data() + recordsSent_, records_.size() - recordsSent_,
                                MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent >= 0) {
      recordsSent_ += static_cast<std::size_t>(sent);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      return Status::WantWrite;
    } else if (errno != EINTR) {
      return Status::Failed;
    }
  }
  recordsSent_ = 0;
  records_.clear();
  return Status::Done;
}

bool TlsChannel::Resumed() const {
  return SSL_session_reused(ssl_) == 1;
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
