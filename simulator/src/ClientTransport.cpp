#include "ClientTransport.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <asio/error.hpp>

namespace znsim {

ClientTransport::~ClientTransport() {
  SSL_free(ssl_);
}

bool ClientTransport::Secure(SSL_CTX* context) {
  ssl_ = SSL_new(context);
  if (!ssl_ || SSL_set_fd(ssl_, socket_.native_handle()) != 1) {
    ERR_clear_error();
    return false;
  }
  SSL_set_accept_state(ssl_);
  return true;
}

ClientTransport::Io ClientTransport::Handshake() {
  ERR_clear_error();
  return Outcome(SSL_do_handshake(ssl_));
}

bool ClientTransport::HelloAnswered() const {
  return ssl_ && BIO_number_written(SSL_get_wbio(ssl_)) > 0;
}

ClientTransport::Io ClientTransport::Read(char* out, std::size_t size, std::size_t& received) {
  if (ssl_) {
    ERR_clear_error();
    return Outcome(SSL_read_ex(ssl_, out, size, &received));
  }
  asio::error_code ec;
  received = socket_.read_some(asio::buffer(out, size), ec);
  if (ec == asio::error::would_block) return Io::WantRead;
  return ec ? Io::Failed : Io::Done;
}

ClientTransport::Io ClientTransport::Write(std::string_view bytes, std::size_t& written) {
  if (ssl_) {
    ERR_clear_error();
    return Outcome(SSL_write_ex(ssl_, bytes.data(), bytes.size(), &written));
  }
  asio::error_code ec;
  written = socket_.write_some(asio::buffer(bytes.data(), bytes.size()), ec);
  if (ec == asio::error::would_block) return Io::WantWrite;
  return ec ? Io::Failed : Io::Done;
}

bool ClientTransport::MayHoldMore(std::size_t received, std::size_t size) const {
  // A plain read that did not fill its room took all there was. TLS hands out one record
  // at a time; the socket's own readiness tells of the records still in the kernel.
  if (ssl_) return SSL_has_pending(ssl_) == 1;
  return received == size;
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
