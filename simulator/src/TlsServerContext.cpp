#include "TlsServerContext.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <stdexcept>

namespace znsim {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  char text[256] = "no further detail";
  if (const unsigned long code = ERR_get_error()) ERR_error_string_n(code, text, sizeof text);
  ERR_clear_error();
  throw std::runtime_error(what + ": " + text);
}

}  // namespace

std::shared_ptr<SSL_CTX> LoadServerTls(const std::string& certFile, const std::string& keyFile) {
  std::shared_ptr<SSL_CTX> context(SSL_CTX_new(TLS_server_method()), SSL_CTX_free);
  if (!context) Fail("cannot set up TLS");
  SSL_CTX* raw = context.get();
  SSL_CTX_set_min_proto_version(raw, TLS1_3_VERSION);
  // A client that connects again (after a failover, or to reconnect) resumes its last
  // session with the ticket that session gave it, instead of a whole handshake. Each session
  // hands out one; the tickets carry their session themselves, so the server keeps none.
  SSL_CTX_set_num_tickets(raw, 1);
  SSL_CTX_set_session_cache_mode(raw, SSL_SESS_CACHE_OFF);
  // A request's record header and body, and the records behind it, are taken at once.
  SSL_CTX_set_read_ahead(raw, 1);
  if (SSL_CTX_use_certificate_chain_file(raw, certFile.c_str()) != 1) {
    Fail("cannot use the certificate '" + certFile + "'");
  }
  if (SSL_CTX_use_PrivateKey_file(raw, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
    Fail("cannot use the key '" + keyFile + "'");
  }
  if (SSL_CTX_check_private_key(raw) != 1) {
    Fail("the key '" + keyFile + "' does not belong to the certificate '" + certFile + "'");
  }
  return context;
}

}  // namespace znsim
