#include "CheckOptions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "CheckStatus.h"
#include "CheckTexts.h"
#include "HelpTexts.h"

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
  // Without one the server would refuse the login, and a monitoring system would page for an
  // outage that is a mistake in its own configuration.
  const char* fromEnvironment = std::getenv("ZNAPI_PASSWORD");
  if (!fromEnvironment)
    throw UsageError("no password: give --password-file FILE or set ZNAPI_PASSWORD");
  return fromEnvironment;
}

// "Primary: reason" or, with one server, the reason alone: the slot and the library's words.
std::pair<int, std::string> SlotReason(const std::string& line, bool twoSlots) {
  for (const auto& [slot, prefix] : {std::pair{0, "Primary: "}, std::pair{1, "Standby: "}})
    if (twoSlots && line.starts_with(prefix)) return {slot, line.substr(std::strlen(prefix))};
  return {0, line};
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
                  std::string("Primary server (default this computer): ") + kComputerForms)
      ->group(connection);
  command.add_option("--standby", o.standby, std::string("Standby server: ") + kComputerForms)
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
            o.format = name == "csv"     ? Format::Csv
                       : name == "json"  ? Format::Json
                       : name == "jsonl" ? Format::JsonLines
                                         : Format::Text;
          },
          "Output: text, csv, json (one document, an array of rows) or jsonl (one object per "
          "line)")
      ->check(CLI::IsMember({"text", "csv", "json", "jsonl"}))
      ->group("Output");
  command
      .add_flag("--utc", o.utc,
                "Times in UTC (2026-12-08T14:50:00Z) rather than this computer's time with its "
                "offset (2026-12-08T15:50:00+01:00)")
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
  if (handle == 0) std::fprintf(stderr, "zncheck: %s\n", NoConnection().c_str());
  return handle;
}

std::string ServerAccess::NoConnection() const {
  const bool twoSlots = module_.table().SlotCount == 2;
  std::vector<std::pair<int, std::string>> reasons;
  std::istringstream lines(module_.ConnectionFailure());
  for (std::string line; std::getline(lines, line);)
    reasons.push_back(SlotReason(Printable(line), twoSlots));
  const auto server = [this](int slot) {
    return std::string(slot == 1 ? "standby " : "primary ") + Computer(slot);
  };
  // A server that refused the login answered: that is the news, whatever the other said.
  const auto refusal = [this](int slot) {
    return "login refused for user '" + Printable(Utf8FromAnsi(module_.table().UserID[slot])) + "'";
  };
  const auto refused = std::find_if(reasons.begin(), reasons.end(), [&](const auto& r) {
    return r.second.starts_with(refusal(r.first));
  });
  std::string text = "no server answered";
  if (refused != reasons.end()) {
    const std::string headline = refusal(refused->first);
    text = headline + " by " + server(refused->first) + refused->second.substr(headline.size());
  }
  std::string others;
  for (auto r = reasons.begin(); r != reasons.end(); ++r) {
    if (r == refused) continue;
    others += (others.empty() ? "" : "; ") + server(r->first) + ": " + r->second;
  }
  if (reasons.empty()) {
    others = server(0);
    if (twoSlots) others += ", " + server(1);
  }
  return others.empty() ? text : text + " (" + others + ")";
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
