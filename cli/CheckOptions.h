#pragma once
/// The options every subcommand takes, and what they set up: the library loaded the way the
/// window loads it, and the module's connection table filled from the command line.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>

#include "DynamicZnApi.h"
#include "RowOutput.h"
#include "basZNAPI.h"

namespace zncheck {

struct CheckOptions {
  std::string primary;
  std::string standby;
  bool tryPrimaryFirst = false;
  std::string user = "Engineer";
  std::string password;
  std::string passwordFile;
  double timeoutSeconds = 0;  // 0: the library's own deadlines
  Format format = Format::Text;
  bool quiet = false;
  bool rawCsv = false;
};

/// Adds the connection and output options to a subcommand.
void AddCheckOptions(CLI::App& command, CheckOptions& options);

/// The library and the module, set up from the options. Nothing talks to a server until a
/// command asks for a connection.
class ServerAccess {
 public:
  /// Raises UsageError when the password file cannot be read.
  explicit ServerAccess(const CheckOptions& options);

  binding::basZNAPI& module() { return module_; }
  binding::ZnApi& api() { return library_; }

  /// GetConnection; 0 when no server answered.
  std::int32_t Connect() { return module_.GetConnection(); }
  /// Connect, saying on standard error when no server answered.
  std::int32_t ConnectOrSay();
  /// "primary" or "standby": the slot of the handle Connect returned last.
  const char* Role() const { return module_.table().CurrentSlot == 1 ? "standby" : "primary"; }
  /// The computer name of a slot as the user gave it, "LOCAL" when empty.
  std::string Computer(int slot) const;
  /// The library's reason for the last failure, as " (reason)" with its control characters
  /// escaped (it may quote the server); empty when it gives none.
  std::string Reason();

 private:
  binding::DynamicZnApi library_;
  binding::basZNAPI module_{library_};
};

}  // namespace zncheck
