// probe: connect through the connection table, run Time(1), and say which server answered, its
// time and the round trip, as one status line with performance data.
#include <chrono>
#include <cstdio>
#include <memory>

#include "CheckTexts.h"
#include "Commands.h"

namespace zncheck {

namespace {

struct ProbeLimits {
  double warnMs = 50;
  double critMs = 200;
};

const char* StatusWord(CheckStatus s) {
  switch (s) {
    case CheckStatus::Ok:
      return "OK";
    case CheckStatus::Warning:
      return "WARNING";
    case CheckStatus::Critical:
      return "CRITICAL";
    default:
      return "UNKNOWN";
  }
}

std::string Milliseconds(double ms, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, ms);
  return text;
}

CheckStatus Probe(const CheckOptions& o, const ProbeLimits& limits) {
  ServerAccess access(o);
  const std::int32_t handle = access.Connect();
  std::string time;
  double rttMs = 0;
  bool answered = false;
  if (handle != 0) {
    const auto start = std::chrono::steady_clock::now();
    answered = access.module().CallServerFunction(handle, "Time(1)", time) != binding::kFalse;
    rttMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  const bool standby = access.module().table().CurrentSlot == 1;
  const std::string server = std::string(access.Role()) + " " + access.Computer(standby ? 1 : 0);

  CheckStatus status = CheckStatus::Ok;
  std::string message;
  if (handle == 0) {
    status = CheckStatus::Critical;
    message = "no server answered (primary " + access.Computer(0) +
              (access.module().table().SlotCount == 2 ? ", standby " + access.Computer(1) : "") +
              ")" + access.Reason();
  } else if (!answered) {
    status = CheckStatus::Critical;
    message = server + " did not run Time(1)" + access.Reason();
  } else {
    if (standby) status = CheckStatus::Warning;
    if (rttMs > limits.critMs)
      status = CheckStatus::Critical;
    else if (rttMs > limits.warnMs)
      status = Worse(status, CheckStatus::Warning);
    message = server + " answered in " + Milliseconds(rttMs, 1) + " ms, server time " +
              Utf8FromAnsi(time);
    if (standby) message += " (failover: primary " + access.Computer(0) + " did not answer)";
  }

  if (o.format == Format::Text) {
    if (!o.quiet) {
      std::string line = std::string("ZNAPI ") + StatusWord(status) + " - " + message;
      if (answered)
        line += " | rtt=" + Milliseconds(rttMs, 2) + "ms;" + Milliseconds(limits.warnMs, 0) + ";" +
                Milliseconds(limits.critMs, 0);
      std::printf("%s\n", Printable(line).c_str());
    }
    return status;
  }
  RowOutput out(o.format, {"status", "server", "computer", "time", "rtt_ms", "failover"}, stdout,
                o.quiet, o.rawCsv);
  out.Add({{StatusWord(status)},
           handle ? Cell{access.Role()} : Cell::Missing(),
           handle ? Cell{access.Computer(standby ? 1 : 0)} : Cell::Missing(),
           answered ? Cell{Utf8FromAnsi(time)} : Cell::Missing(),
           answered ? Cell::Number(Milliseconds(rttMs, 2), rttMs) : Cell::Missing(),
           Cell::Number(standby ? "1" : "0", standby ? 1 : 0)});
  if (status != CheckStatus::Ok) std::fprintf(stderr, "zncheck: %s\n", Printable(message).c_str());
  return status;
}

}  // namespace

void AddProbeCommand(CLI::App& zncheck, CheckOptions& o, std::vector<Command>& commands) {
  auto limits = std::make_shared<ProbeLimits>();
  CLI::App* probe = zncheck.add_subcommand(
      "probe",
      "Connect, run Time(1) and report the server that answered: exit 0 on the primary, 1 on "
      "the standby or over --warn-ms, 2 when none answers or over --crit-ms");
  probe->add_option("--warn-ms", limits->warnMs, "Round trip that makes a WARNING")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
  probe->add_option("--crit-ms", limits->critMs, "Round trip that makes a CRITICAL")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
  AddCheckOptions(*probe, o);
  commands.push_back({probe, [&o, limits] { return Probe(o, *limits); }});
}

}  // namespace zncheck
