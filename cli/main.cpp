// zncheck: the ZnAPI checks of the test window from the command line, with exit codes that
// scripts and monitoring systems can trust (0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN).
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "CheckTexts.h"
#include "Commands.h"
#include "HelpTexts.h"

int main(int argc, char** argv) {
  using zncheck::CheckStatus;
  CLI::App app{"zncheck: ZnAPI checks for scripts and monitoring.", "zncheck"};
  app.footer(zncheck::kExitCodes + std::string("\n\n") + zncheck::kServerNames);
  app.set_version_flag("--version", "zncheck " ZN_VERSION);
  app.require_subcommand(1);
  zncheck::CheckOptions options;
  std::vector<zncheck::Command> commands;
  zncheck::AddProbeCommand(app, options, commands);
  zncheck::AddTagCommands(app, options, commands);
  zncheck::AddQueryCommands(app, options, commands);

  // UNKNOWN in one line: on standard output as a status line where a monitoring system reads
  // one (probe as text), else on standard error beside the rows.
  const auto unknown = [&](const std::string& what) {
    const bool statusLine = std::any_of(commands.begin(), commands.end(), [&](const auto& c) {
      return c.statusLine && c.app->parsed() && options.format == zncheck::Format::Text &&
             !options.quiet;
    });
    if (statusLine)
      std::printf("ZNAPI UNKNOWN - %s\n", zncheck::Printable(what).c_str());
    else
      std::fprintf(stderr, "zncheck: %s\n", zncheck::Printable(what).c_str());
    return static_cast<int>(CheckStatus::Unknown);
  };
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    return unknown(e.what() + std::string(" (see zncheck --help)"));
  }
  // The one place that decides how a failure leaves the program.
  try {
    for (const auto& command : commands)
      if (command.app->parsed()) return static_cast<int>(command.run());
  } catch (const std::exception& e) {
    // A usage error, or the library or an entry point missing.
    return unknown(e.what());
  }
  return static_cast<int>(CheckStatus::Unknown);
}
