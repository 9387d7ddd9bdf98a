// The tag commands: single reads and writes, script functions, list reads and writes, and a
// watch that polls tags until it is stopped. Each prints one row per tag and exits 0 when
// every operation succeeded, 2 otherwise.
#include <time.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <variant>

#include "CheckTexts.h"
#include "Commands.h"
#include "DigitalValue.h"
#include "IsoTime.h"
#include "ListHandle.h"
#include "NumericText.h"
#include "TextValues.h"
#include "WatchCycle.h"
#include "WatchRecorder.h"

namespace zncheck {

namespace {

constexpr const char* kDigitalWords =
    "a digital tag also takes ON/OFF and true/false in any case, sent as 1 and 0";

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int) {
  stopRequested = 1;
}

Cell ValueCell(const binding::TagValue& value) {
  return std::visit(
      [](const auto& v) -> Cell {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, double>) {
          char text[32];
          std::snprintf(text, sizeof text, "%.15g", v);
          return Cell::Number(text, v);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return {Utf8FromAnsi(v)};
        } else {
          return Cell::Missing();
        }
      },
      value);
}

// A list read's text as read: a number, as a single read gives it, when it reads as one.
Cell ListValueCell(const std::string& ansi) {
  const auto number = binding::ParseNumericText(ansi);
  return number ? Cell::Number(Utf8FromAnsi(ansi), *number) : Cell{Utf8FromAnsi(ansi)};
}

CheckStatus StatusOf(bool allSucceeded) {
  return allSucceeded ? CheckStatus::Ok : CheckStatus::Critical;
}

void SayFailed(const std::string& what, ServerAccess& access) {
  std::fprintf(stderr, "zncheck: %s failed%s\n", Printable(what).c_str(), access.Reason().c_str());
}

// Every text converted before the first call: a text the library cannot carry ends the
// command before anything is sent.
std::vector<std::string> AnsiTexts(const std::vector<std::string>& texts) {
  std::vector<std::string> ansi;
  ansi.reserve(texts.size());
  for (const auto& text : texts) ansi.push_back(AnsiFromUtf8(text));
  return ansi;
}

CheckStatus Read(const CheckOptions& o, const std::vector<std::string>& tags) {
  const std::vector<std::string> ansiTags = AnsiTexts(tags);
  ServerAccess access(o);
  const std::int32_t handle = access.ConnectOrSay();
  if (handle == 0) return CheckStatus::Critical;
  RowOutput out(o.format, {"tag", "value", "status"}, stdout, o.quiet, o.rawCsv);
  bool allRead = true;
  for (std::size_t i = 0; i < tags.size(); ++i) {
    const binding::TagValue value = access.module().ReadTagValue(handle, ansiTags[i]);
    const bool read = !std::holds_alternative<std::monostate>(value);
    if (!read) SayFailed("reading " + tags[i], access);
    allRead = allRead && read;
    out.Add({{Utf8FromAnsi(ansiTags[i])}, ValueCell(value), {read ? "ok" : "failed"}});
  }
  return StatusOf(allRead);
}

// One write per pair, as the list window writes; pairs of UTF-8 texts.
CheckStatus Write(const CheckOptions& o,
                  const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::vector<std::pair<std::string, std::string>> ansi;
  for (const auto& [tag, value] : pairs) ansi.emplace_back(AnsiFromUtf8(tag), AnsiFromUtf8(value));
  ServerAccess access(o);
  const std::int32_t handle = access.ConnectOrSay();
  if (handle == 0) return CheckStatus::Critical;
  RowOutput out(o.format, {"tag", "value", "status"}, stdout, o.quiet, o.rawCsv);
  bool allWritten = true;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const std::string& tag = pairs[i].first;
    const std::string& ansiTag = ansi[i].first;
    const std::string ansiValue =
        logic::ToAnsi(logic::ValueToWrite(logic::FromAnsi(ansi[i].second), [&] {
          return std::holds_alternative<double>(access.module().ReadTagValue(handle, ansiTag));
        }));
    const bool written = access.module().WriteTag(handle, ansiTag, ansiValue);
    if (!written) SayFailed("writing " + tag, access);
    allWritten = allWritten && written;
    out.Add({{Utf8FromAnsi(ansiTag)}, {Utf8FromAnsi(ansiValue)}, {written ? "ok" : "failed"}});
  }
  return StatusOf(allWritten);
}

CheckStatus Zncode(const CheckOptions& o, const std::string& function) {
  const std::string ansiFunction = AnsiFromUtf8(function);
  ServerAccess access(o);
  const std::int32_t handle = access.ConnectOrSay();
  if (handle == 0) return CheckStatus::Critical;
  std::string result;
  const bool ran =
      access.module().CallServerFunction(handle, ansiFunction, result) != binding::kFalse;
  if (!ran) SayFailed(function, access);
  RowOutput out(o.format, {"function", "result", "status"}, stdout, o.quiet, o.rawCsv);
  out.Add(
      {{function}, ran ? Cell{Utf8FromAnsi(result)} : Cell::Missing(), {ran ? "ok" : "failed"}});
  return StatusOf(ran);
}

CheckStatus ListRead(const CheckOptions& o, std::vector<std::string> tags,
                     const std::string& file) {
  if (!file.empty()) {
    std::istringstream lines(ReadInput(file));
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) tags.push_back(line);
    }
  }
  if (tags.empty()) throw UsageError("list-read needs tags, as arguments or in --file");
  const std::vector<std::string> ansi = AnsiTexts(tags);
  ServerAccess access(o);
  const std::int32_t handle = access.ConnectOrSay();
  if (handle == 0) return CheckStatus::Critical;
  binding::ListHandle list(access.api(), handle);
  if (!list.made()) {
    SayFailed("starting a list", access);
    return CheckStatus::Critical;
  }
  binding::ListReading reading;
  list.Read(ansi, reading);
  RowOutput out(o.format, {"tag", "value", "status"}, stdout, o.quiet, o.rawCsv);
  bool allRead = true;
  for (std::size_t i = 0; i < reading.values.size(); ++i) {
    const binding::ListValue& value = reading.values[i];
    const bool read = value.outcome == binding::ListValue::Outcome::Read;
    const char* status = read                                                    ? "ok"
                         : value.outcome == binding::ListValue::Outcome::NotRead ? "not read"
                                                                                 : "not added";
    if (!read) std::fprintf(stderr, "zncheck: %s: %s\n", Printable(tags[i]).c_str(), status);
    allRead = allRead && read;
    out.Add(
        {{Utf8FromAnsi(ansi[i])}, read ? ListValueCell(value.text) : Cell::Missing(), {status}});
  }
  return StatusOf(allRead);
}

CheckStatus ListWrite(const CheckOptions& o, const std::string& file) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const auto& record : ReadCsv(ReadInput(file))) {
    if (record.size() != 2)
      throw UsageError("each line of " + file + " must hold a tag and a value");
    pairs.emplace_back(record[0], record[1]);
  }
  if (!pairs.empty() && pairs.front().first == "tag" && pairs.front().second == "value")
    pairs.erase(pairs.begin());  // the header zncheck's own CSV carries
  if (pairs.empty()) throw UsageError(file + " holds no tag,value pairs");
  return Write(o, pairs);
}

// Sleeps until `deadline` or until asked to stop; false when asked to stop.
bool SleepUntil(std::chrono::steady_clock::time_point deadline) {
  while (!stopRequested) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return true;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    const timespec wait{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    nanosleep(&wait, nullptr);  // a signal ends it early
  }
  return false;
}

// What a watch records besides its rows on standard output.
struct RecordOptions {
  std::string file;
  std::string rotate;
  bool changesOnly = false;
};

std::unique_ptr<logic::WatchRecorder> RecorderFor(const RecordOptions& r, const QStringList& tags) {
  if (r.file.empty()) {
    if (!r.rotate.empty() || r.changesOnly)
      throw UsageError("--rotate and --changes-only go with --record");
    return nullptr;
  }
  logic::RecordingChoice choice{QString::fromStdString(r.file), r.changesOnly};
  if (!r.rotate.empty()) {
    const auto rotated = logic::WithRotation(choice, QString::fromStdString(r.rotate));
    if (!rotated)
      throw UsageError("--rotate: 1h or a whole number of MB (e.g. 100MB): " + r.rotate);
    choice = *rotated;
  }
  return std::make_unique<logic::WatchRecorder>(choice, tags);
}

CheckStatus Watch(const CheckOptions& o, const std::vector<std::string>& tags,
                  const std::string& intervalText, int count, const RecordOptions& record) {
  const auto interval = ParseDuration(intervalText);
  if (!interval) throw UsageError("--interval: not a duration: " + intervalText);
  const std::vector<std::string> ansi = AnsiTexts(tags);
  QStringList names;
  for (const auto& tag : ansi) names << logic::FromAnsi(tag);
  std::unique_ptr<logic::WatchRecorder> recorder = RecorderFor(record, names);
  struct sigaction stop {};
  stop.sa_handler = RequestStop;  // no SA_RESTART: a wait ends at the signal
  sigaction(SIGINT, &stop, nullptr);
  sigaction(SIGTERM, &stop, nullptr);

  ServerAccess access(o);
  // Text announces a change of server on a line of its own; the other formats in a column.
  const bool failoverColumn = o.format != Format::Text;
  std::vector<std::string> columns{"time", "server", "computer", "tag", "value", "status"};
  if (failoverColumn) columns.push_back("failover");
  RowOutput out(o.format, columns, stdout, o.quiet, o.rawCsv);
  bool allRead = true;
  std::optional<int> lastSlot;  // of the last poll that had a connection
  auto started = std::chrono::steady_clock::now();
  logic::WatchPoll poll(access.module(), ansi, *interval, started);
  std::optional<logic::WatchedTags> watched;
  if (recorder) watched.emplace(names);
  for (int n = 0; count == 0 || n < count; ++n) {
    if (n > 0) {
      const auto skippedBefore = poll.skipped();
      const auto next = poll.NextDue(started, std::chrono::steady_clock::now());
      if (const auto skipped = poll.skipped() - skippedBefore; skipped > 0) {
        std::fprintf(stderr, "zncheck: %lld poll(s) skipped after a stall (%lld in all)\n",
                     static_cast<long long>(skipped), static_cast<long long>(poll.skipped()));
      }
      if (!SleepUntil(next)) break;
      started = std::chrono::steady_clock::now();
    }
    // Every poll asks the table afresh, so the watch follows a failover and, with
    // --try-primary-first, the primary's return.
    const logic::WatchCycle cycle = poll.Run();
    const std::string time = logic::IsoDateTime(cycle.time, o.utc).toStdString();
    const bool connected = !cycle.server.isEmpty();
    const int slot = access.module().table().CurrentSlot;
    const bool failover = connected && lastSlot && *lastSlot != slot;
    if (connected) lastSlot = slot;
    if (failover)
      out.Note(time + " failover: " + (slot == 1 ? "standby " : "primary ") +
               access.Computer(slot) + " answers, " + (slot == 1 ? "primary " : "standby ") +
               access.Computer(1 - slot) + (slot == 1 ? " did not" : " is left"));
    if (cycle.gap && connected) SayFailed("the list read", access);
    for (std::size_t i = 0; i < ansi.size(); ++i) {
      const bool read =
          i < cycle.values.size() && cycle.values[i].outcome == binding::ListValue::Outcome::Read;
      allRead = allRead && read;
      std::vector<Cell> row{{time},
                            connected ? Cell{access.Role()} : Cell::Missing(),
                            connected ? Cell{access.Computer(slot)} : Cell::Missing(),
                            {Utf8FromAnsi(ansi[i])},
                            read ? ListValueCell(cycle.values[i].text) : Cell::Missing(),
                            {read        ? "ok"
                             : connected ? "failed"
                                         : "no connection"}};
      if (failoverColumn) row.push_back(Cell::Boolean(failover));
      out.Add(row);
    }
    out.Flush();
    if (recorder && recorder->recording()) {
      watched->Apply(cycle);
      if (!recorder->Record(cycle, *watched)) {
        // The watch goes on: its rows still reach standard output.
        std::fprintf(stderr, "zncheck: recording stopped: %s\n",
                     Printable(recorder->stopReason().toStdString()).c_str());
        allRead = false;
      }
    }
    if (stopRequested) break;
  }
  return StatusOf(allRead);
}

}  // namespace

void AddTagCommands(CLI::App& zncheck, CheckOptions& o, std::vector<Command>& commands) {
  auto tags = std::make_shared<std::vector<std::string>>();
  auto texts = std::make_shared<std::vector<std::string>>(2);
  auto file = std::make_shared<std::string>();
  auto interval = std::make_shared<std::string>("1s");
  auto count = std::make_shared<int>(0);
  auto record = std::make_shared<RecordOptions>();

  CLI::App* read = zncheck.add_subcommand("read", "Read tags, one row per tag");
  read->add_option("tags", *tags, "Tag names")->required();
  AddCheckOptions(*read, o);
  commands.push_back({read, [&o, tags] { return Read(o, *tags); }});

  CLI::App* write = zncheck.add_subcommand("write", "Write a value to a tag");
  write->add_option("tag", (*texts)[0], "Tag name")->required();
  write->add_option("value", (*texts)[1], std::string("Value; ") + kDigitalWords)->required();
  AddCheckOptions(*write, o);
  commands.push_back({write, [&o, texts] { return Write(o, {{(*texts)[0], (*texts)[1]}}); }});

  CLI::App* zncode = zncheck.add_subcommand("zncode", "Run a server function, e.g. \"Time(1)\"");
  zncode->add_option("function", (*texts)[0], "Function text")->required();
  AddCheckOptions(*zncode, o);
  commands.push_back({zncode, [&o, texts] { return Zncode(o, (*texts)[0]); }});

  CLI::App* listRead = zncheck.add_subcommand("list-read", "Read many tags in one list request");
  listRead->add_option("tags", *tags, "Tag names");
  listRead->add_option("--file", *file, "File of tag names, one per line (- for standard input)");
  AddCheckOptions(*listRead, o);
  commands.push_back({listRead, [&o, tags, file] { return ListRead(o, *tags, *file); }});

  CLI::App* listWrite = zncheck.add_subcommand(
      "list-write", std::string("Write the tag,value pairs of a CSV file; ") + kDigitalWords);
  listWrite->add_option("file,--file", *file, "CSV file of tag,value lines (- for standard input)")
      ->required();
  AddCheckOptions(*listWrite, o);
  commands.push_back({listWrite, [&o, file] { return ListWrite(o, *file); }});

  CLI::App* watch = zncheck.add_subcommand(
      "watch",
      "Read tags at every interval, with a timestamp per row, until stopped (Ctrl+C); polls "
      "missed while the computer or the server stalled are skipped, and counted on standard "
      "error");
  watch->add_option("tags", *tags, "Tag names")->required();
  watch->add_option("--interval", *interval, "Time between polls: 500ms, 1s, 5m ...")
      ->capture_default_str();
  watch->add_option("--count", *count, "Stop after this many polls (0: never)")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
  watch->add_option("--record", record->file,
                    "Also record every poll to this CSV file: the time, the server that "
                    "answered (\"gap\" when none did), then one column per tag");
  watch->add_option("--rotate", record->rotate,
                    "Start a new recording file every hour (1h) or every N megabytes (NMB), "
                    "named with its start time");
  watch->add_flag("--changes-only", record->changesOnly,
                  "Record a poll only when a value changed or a gap began or ended");
  AddCheckOptions(*watch, o);
  commands.push_back({watch, [&o, tags, interval, count, record] {
                        return Watch(o, *tags, *interval, *count, *record);
                      }});
}

}  // namespace zncheck
