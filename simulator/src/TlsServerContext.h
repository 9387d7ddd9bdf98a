#pragma once
/// The server's side of TLS: its certificate and key, TLS 1.3 only.
#include <memory>
#include <string>

using SSL_CTX = struct ssl_ctx_st;

namespace znsim {

/// A context serving the certificate chain in `certFile` (PEM, the server's certificate first)
/// with the key in `keyFile`. Throws std::runtime_error naming what is wrong with them.
std::shared_ptr<SSL_CTX> LoadServerTls(const std::string& certFile, const std::string& keyFile);

}  // namespace znsim
