#include "CheckOptions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "CheckStatus.h"
#include "CheckTexts.h"

namespace zncheck {

namespace {

std::string PasswordFromFile(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  if (!file || !std::getline(file, line)) throw UsageError("cannot read the password file " + path);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string Password(const CheckOptions& o) {
  if (!o.password.empty()) {
    std::fputs(
        "zncheck: warning: --password is visible to other users of this computer; use "
        "--password-file or ZNAPI_PASSWORD\n",
        stderr);
    return o.password;
  }
  if (!o.passwordFile.empty()) return PasswordFromFile(o.passwordFile);
  const char* fromEnvironment = std::getenv("ZNAPI_PASSWORD");
  return fromEnvironment ? fromEnvironment : "";
}

// The library reads its deadlines from the environment at every open.
void SetDeadlines(double seconds) {
  if (seconds <= 0) return;
  const std::string ms = std::to_string(std::max(1LL, std::llround(seconds * 1000)));
  setenv("ZNAPI_CONNECT_TIMEOUT_MS", ms.c_str(), 1);
  setenv("ZNAPI_TIMEOUT_MS", ms.c_str(), 1);
}

}  // namespace

void AddCheckOptions(CLI::App& command, CheckOptions& o) {
  const std::string connection = "Connection";
  command
      .add_option("--primary", o.primary,
                  "Primary server HOST[:PORT] (default this computer); TLS unless HOST is this "
                  "computer, tls://HOST for TLS always, plain://HOST to send the password in clear")
      ->group(connection);
  command.add_option("--standby", o.standby, "Standby server, named as --primary")
      ->group(connection);
  command
      .add_flag("--try-primary-first", o.tryPrimaryFirst,
                "While on the standby, try the primary again at every connection")
      ->group(connection);
  command.add_option("--user", o.user, "User name")->capture_default_str()->group(connection);
  auto* file = command
                   .add_option("--password-file", o.passwordFile,
                               "File whose first line is the password (else ZNAPI_PASSWORD)")
                   ->group(connection);
  command.add_option("--password", o.password, "Password (visible to other users)")
      ->excludes(file)
      ->group(connection);
  command
      .add_option("--timeout", o.timeoutSeconds,
                  "Seconds each connect and each request may wait (default 3 and 5)")
      ->check(CLI::PositiveNumber)
      ->group(connection);
  command
      .add_option_function<std::string>(
          "--format",
          [&o](const std::string& name) {
            o.format = name == "csv" ? Format::Csv : name == "json" ? Format::Json : Format::Text;
          },
          "Output: text, csv or json (one object per line)")
      ->check(CLI::IsMember({"text", "csv", "json"}))
      ->group("Output");
  command.add_flag("--quiet", o.quiet, "Print no rows; the exit code tells")->group("Output");
  command
      .add_flag("--raw-csv", o.rawCsv,
                "CSV cells exactly as the server sent them: without it a cell that a "
                "spreadsheet would run as a formula (=, +, -, @, tab) starts with '")
      ->group("Output");
}

ServerAccess::ServerAccess(const CheckOptions& o) {
  SetDeadlines(o.timeoutSeconds);
  binding::ConnectionTable& t = module_.table();
  t.Computer = {AnsiFromUtf8(o.primary), AnsiFromUtf8(o.standby)};
  t.UserID = {AnsiFromUtf8(o.user), AnsiFromUtf8(o.user)};
  const std::string password = AnsiFromUtf8(Password(o));
  t.Password = {password, password};
  t.SlotCount = binding::SlotCountFor(t);
  t.TryPrimaryFirst = o.tryPrimaryFirst ? binding::kTrue : binding::kFalse;
}

std::int32_t ServerAccess::ConnectOrSay() {
  const std::int32_t handle = Connect();
  if (handle == 0) std::fprintf(stderr, "zncheck: no server answered%s\n", Reason().c_str());
  return handle;
}

std::string ServerAccess::Computer(int slot) const {
  const std::string& name = module_.table().Computer[slot == 1 ? 1 : 0];
  return name.empty() ? "LOCAL" : Utf8FromAnsi(name);
}

std::string ServerAccess::Reason() {
  const std::string reason = library_.LastReason();
  if (reason.empty()) return "";
  return " (" + Printable(Utf8FromAnsi(reason)) + ")";
}

}  // namespace zncheck
