#pragma once
/// Certificates for TLS tests, made with scripts/tls-certs in a folder the test owns.
#include <string>
#include <vector>

namespace testing_support {

struct ServerCertificate {
  std::string ca;    // the CA that signed it, for ZNAPI_TLS_CA
  std::string cert;  // for znsim --tls-cert
  std::string key;   // for znsim --tls-key
  /// znsim's arguments that serve it.
  std::vector<std::string> ServeArgs() const { return {"--tls-cert", cert, "--tls-key", key}; }
};

/// A certificate for `names` ("IP:127.0.0.1,DNS:localhost"), stored as `base`.pem/.key in
/// `dir`, signed by the CA in `dir` (made on first use). Throws when the script fails.
ServerCertificate MakeServerCertificate(const std::string& dir,
                                        const std::string& names = "IP:127.0.0.1,DNS:localhost",
                                        const std::string& base = "server");

}  // namespace testing_support
