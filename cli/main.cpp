// zncheck: the ZnAPI checks of the test window from the command line, with exit codes that
// scripts and monitoring systems can trust (0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN).
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Commands.h"

int main(int argc, char** argv) {
  using zncheck::CheckStatus;
  CLI::App app{
      "zncheck: ZnAPI checks for scripts and monitoring. Exit 0 OK, 1 WARNING, "
      "2 CRITICAL, 3 UNKNOWN (bad usage, no library).",
      "zncheck"};
  app.footer(
      "Servers (--primary, --standby): HOST[:PORT] or [IPv6]:PORT, port 20222 unless given. To "
      "another computer that is TLS, as with tls://HOST; only on this computer is it plain TCP. "
      "plain://HOST sends the user name and the password in clear, and is the only way to "
      "reach a server without TLS on another computer. ZNAPI_TLS_CA names a PEM file of trusted "
      "CAs (else the system's).");
  app.set_version_flag("--version", "zncheck " ZN_VERSION);
  app.require_subcommand(1);
  zncheck::CheckOptions options;
  std::vector<zncheck::Command> commands;
  zncheck::AddProbeCommand(app, options, commands);
  zncheck::AddTagCommands(app, options, commands);
  zncheck::AddQueryCommands(app, options, commands);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    std::fprintf(stderr, "zncheck: %s (see zncheck --help)\n", e.what());
    return static_cast<int>(CheckStatus::Unknown);
  }
  // The one place that decides how a failure leaves the program.
  try {
    for (const auto& command : commands)
      if (command.app->parsed()) return static_cast<int>(command.run());
  } catch (const zncheck::UsageError& e) {
    std::fprintf(stderr, "zncheck: %s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zncheck: %s\n", e.what());  // the library or an entry point is missing
  }
  return static_cast<int>(CheckStatus::Unknown);
}
