#include "ClientTransport.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <asio/error.hpp>

namespace znsim {
namespace {

// Records read from the socket at once: a usual request is one record, a large one comes in
// reads as large as a plain connection's.
constexpr std::size_t kCipherBytes = 64 * 1024;
// Plain bytes made into records before they are written: a large reply goes out in writes of
// this size, without a copy of all of it in records.
constexpr std::size_t kRecordsPerWrite = 1024 * 1024;
// Room for records kept for the next reply; a larger one's room is given back.
constexpr std::size_t kKeptRecordBytes = 64 * 1024;

}  // namespace

// TLS reads records from the bytes the loop read and writes them where Flush() finds them:
// neither touches the socket, so neither can find it not ready.
struct TransportBio {
  static ClientTransport& Of(BIO* bio) { return *static_cast<ClientTransport*>(BIO_get_data(bio)); }

  static int Read(BIO* bio, char* out, int size) {
    ClientTransport& transport = Of(bio);
    BIO_clear_retry_flags(bio);
    const std::size_t held = transport.cipherEnd_ - transport.cipherBegin_;
    if (held == 0) {
      BIO_set_retry_read(bio);
      return -1;
    }
    const std::size_t taken = std::min(held, static_cast<std::size_t>(size));
    std::copy_n(transport.cipher_.data() + transport.cipherBegin_, taken, out);
    transport.cipherBegin_ += taken;
    return static_cast<int>(taken);
  }

  static int Write(BIO* bio, const char* data, int size) {
    BIO_clear_retry_flags(bio);
    Of(bio).records_.append(data, static_cast<std::size_t>(size));
    return size;
  }

  static long Control(BIO*, int command, long, void*) { return command == BIO_CTRL_FLUSH ? 1 : 0; }

  static const BIO_METHOD* Method() {
    static const struct Made {
      Made() {
        method = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "znsim client");
        if (method &&
            (BIO_meth_set_read(method, Read) != 1 || BIO_meth_set_write(method, Write) != 1 ||
             BIO_meth_set_ctrl(method, Control) != 1)) {
          BIO_meth_free(method);
          method = nullptr;
        }
      }
      ~Made() { BIO_meth_free(method); }
      BIO_METHOD* method = nullptr;
    } made;
    return made.method;
  }
};

ClientTransport::~ClientTransport() {
  SSL_free(ssl_);
}

bool ClientTransport::Secure(SSL_CTX* context) {
  ssl_ = SSL_new(context);
  BIO* bio = ssl_ && TransportBio::Method() ? BIO_new(TransportBio::Method()) : nullptr;
  if (!bio) {
    ERR_clear_error();
    return false;
  }
  BIO_set_data(bio, this);
  BIO_set_init(bio, 1);
  SSL_set_bio(ssl_, bio, bio);
  SSL_set_accept_state(ssl_);
  return true;
}

ClientTransport::Io ClientTransport::Handshake() {
  ERR_clear_error();
  const Io step = Outcome(SSL_do_handshake(ssl_));
  // Whatever the step made goes out first, an alert that ends a failed handshake too.
  const Io flushed = Flush();
  if (step == Io::Failed || flushed == Io::Done) return step;
  return flushed;
}

bool ClientTransport::HelloAnswered() const {
  return ssl_ && BIO_number_written(SSL_get_wbio(ssl_)) > 0;
}

asio::mutable_buffer ClientTransport::CipherRoom() {
  // TLS wants more only once its reads found nothing left here: the room is all of it.
  cipherBegin_ = 0;
  cipherEnd_ = 0;
  if (cipher_.empty()) cipher_.resize(kCipherBytes);
  return asio::buffer(cipher_);
}

ClientTransport::Io ClientTransport::Read(char* out, std::size_t size, std::size_t& received) {
  // Most often nothing is left after a request: the socket is read next, without asking TLS
  // in vain.
  if (cipherBegin_ == cipherEnd_ && SSL_has_pending(ssl_) != 1) return Io::WantRead;
  ERR_clear_error();
  return Outcome(SSL_read_ex(ssl_, out, size, &received));
}

ClientTransport::Io ClientTransport::Write(std::string_view bytes, std::size_t& written) {
  written = 0;
  if (!ssl_) {
    asio::error_code ec;
    written = socket_.write_some(asio::buffer(bytes.data(), bytes.size()), ec);
    if (ec == asio::error::would_block) return Io::WantWrite;
    return ec ? Io::Failed : Io::Done;
  }
  // Records made earlier go first: a large reply's rest, or what a read had to answer.
  if (const Io io = Flush(); io != Io::Done) return io;
  while (written < bytes.size()) {
    const std::string_view piece = bytes.substr(written, kRecordsPerWrite);
    std::size_t taken = 0;
    ERR_clear_error();
    if (const Io io = Outcome(SSL_write_ex(ssl_, piece.data(), piece.size(), &taken));
        io != Io::Done)
      return io;
    written += taken;
    if (const Io io = Flush(); io != Io::Done) return io;
  }
  return Io::Done;
}

ClientTransport::Io ClientTransport::Flush() {
  while (recordsSent_ < records_.size()) {
    asio::error_code ec;
    recordsSent_ += socket_.write_some(
        asio::buffer(records_.data() + recordsSent_, records_.size() - recordsSent_), ec);
    if (ec == asio::error::would_block) return Io::WantWrite;
    if (ec) return Io::Failed;
  }
  recordsSent_ = 0;
  if (records_.capacity() > kKeptRecordBytes) {
    records_ = std::string();
  } else {
    records_.clear();
  }
  return Io::Done;
}

ClientTransport::Io ClientTransport::Outcome(int result) const {
  if (result == 1) return Io::Done;
  switch (SSL_get_error(ssl_, result)) {
    case SSL_ERROR_WANT_READ:
      return Io::WantRead;
    case SSL_ERROR_WANT_WRITE:
      return Io::WantWrite;
    default:
      ERR_clear_error();
      return Io::Failed;
  }
}

}  // namespace znsim
