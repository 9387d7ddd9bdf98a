#include "TestCertificates.h"

#include <sys/wait.h>

#include <cstdlib>
#include <stdexcept>

namespace testing_support {

ServerCertificate MakeServerCertificate(const std::string& dir, const std::string& names,
                                        const std::string& base) {
  const std::string command =
      "'" ZN_SCRIPTS_DIR "/tls-certs' '" + dir + "' '" + names + "' '" + base + "'";
  const int status = std::system(command.c_str());
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("scripts/tls-certs failed: " + command);
  }
  return {dir + "/ca.pem", dir + "/" + base + ".pem", dir + "/" + base + ".key"};
}

}  // namespace testing_support
