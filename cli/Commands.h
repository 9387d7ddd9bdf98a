#pragma once
/// The subcommands, each registered with its options and the function that runs it once the
/// command line has been read.
#include <CLI/CLI.hpp>
#include <functional>
#include <vector>

#include "CheckOptions.h"
#include "CheckStatus.h"

namespace zncheck {

struct Command {
  CLI::App* app;
  std::function<CheckStatus()> run;
  bool statusLine = false;  // its text output is one plugin status line ("ZNAPI OK - ...")
};

/// probe: which server answers, in how long, and whether the primary was lost.
void AddProbeCommand(CLI::App& zncheck, CheckOptions& options, std::vector<Command>& commands);
/// read, write, zncode, list-read, list-write and watch.
void AddTagCommands(CLI::App& zncheck, CheckOptions& options, std::vector<Command>& commands);
/// browse, trend, alarms, summary and device: the rows of a find.
void AddQueryCommands(CLI::App& zncheck, CheckOptions& options, std::vector<Command>& commands);

}  // namespace zncheck
