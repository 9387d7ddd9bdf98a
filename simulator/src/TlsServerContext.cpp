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
  // Clients open one long connection each and never resume; tickets would only cost a write.
  SSL_CTX_set_num_tickets(raw, 0);
  // Replies are written as far as the socket takes them, from a buffer that may move between
  // the tries, as on a plain socket.
  SSL_CTX_set_mode(raw, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  // A request's record header and body, and the records behind it, come in one read.
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
