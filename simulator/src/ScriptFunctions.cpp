#include "ScriptFunctions.h"

#include <strings.h>  // strcasecmp

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include <spdlog/spdlog.h>

#include "ScriptParser.h"

#ifndef ZNSIM_VERSION
#define ZNSIM_VERSION "1.0.0"
#endif

namespace znsim {

namespace {

constexpr const char* kBadSleep = "Sleep takes a number of milliseconds >= 0";

std::optional<double> Milliseconds(const std::string& text) {
  double ms = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), ms);
  if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(ms) || ms < 0) {
    return std::nullopt;
  }
  return ms;
}

bool SameName(const std::string& name, const char* known) {
  return strcasecmp(name.c_str(), known) == 0;
}

// A script's writes are only staged while it runs and are committed together once the whole
// call has succeeded, so a call that fails has written nothing, whichever argument failed.
class Evaluator {
 public:
  explicit Evaluator(ScriptContext& context) : context_(context) {}

  /// Checks every call of the tree (known name, argument count, the arguments that are known
  /// before running) before anything runs.
  bool Check(const Call& call) {
    const Function* function = Find(call.name);
    if (function == nullptr) return Fail("unknown function '" + call.name + "'");
    const std::size_t n = call.arguments.size();
    if (n < function->low || n > function->high) {
      return Fail(call.name + " takes " + std::to_string(function->low) +
                  (function->high == function->low ? "" : " to " + std::to_string(function->high)) +
                  " argument(s)");
    }
    for (const auto& argument : call.arguments) {
      if (argument.kind == Argument::Kind::Call) {
        if (!Check(*argument.call)) return false;
      } else if (function->body == &Evaluator::Sleep && !Milliseconds(argument.text)) {
        return Fail(kBadSleep);
      }
    }
    return true;
  }

  std::optional<std::string> Run(const Call& call) {
    std::vector<std::string> args;
    args.reserve(call.arguments.size());
    for (const auto& argument : call.arguments) {
      if (argument.kind == Argument::Kind::Call) {
        auto value = Run(*argument.call);
        if (!value) return std::nullopt;
        args.push_back(std::move(*value));
      } else {
        args.push_back(argument.text);
      }
    }
    return (this->*Find(call.name)->body)(args);
  }

  const std::vector<TagStore::Change>& staged() const { return staged_; }
  const std::vector<FaultRequest>& faults() const { return faults_; }
  bool setFaults() const { return setFaults_; }
  const std::string& error() const { return error_; }
  Millis delay() const { return delay_; }

 private:
  using Args = std::vector<std::string>;
  using Body = std::optional<std::string> (Evaluator::*)(const Args&);
  struct Function {
    const char* name;
    std::size_t low;
    std::size_t high;
    Body body;
  };

  static const Function* Find(const std::string& name) {
    static const Function kFunctions[] = {
        {"Time", 0, 1, &Evaluator::Time},         {"Date", 0, 1, &Evaluator::Date},
        {"Version", 0, 0, &Evaluator::Version},   {"TagRead", 1, 1, &Evaluator::TagRead},
        {"TagWrite", 2, 2, &Evaluator::TagWrite}, {"Sleep", 1, 1, &Evaluator::Sleep},
        {"SimFault", 1, 2, &Evaluator::SimFault}, {"SimPeer", 0, 0, &Evaluator::SimPeer}};
    for (const auto& function : kFunctions) {
      if (SameName(name, function.name)) return &function;
    }
    return nullptr;
  }

  bool Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }
  std::nullopt_t Refuse(std::string message) {
    Fail(std::move(message));
    return std::nullopt;
  }

  std::optional<std::string> Time(const Args&) { return FormatTime(context_.now); }
  std::optional<std::string> Date(const Args&) { return FormatDate(context_.now); }
  std::optional<std::string> Version(const Args&) {
    std::string version = "znsim " ZNSIM_VERSION " ";
    version += context_.serverName;
    return version;
  }

  std::optional<std::string> TagRead(const Args& args) {
    const std::size_t index = context_.tags.project().TagIndex(args[0]);
    if (index == Project::npos) return Refuse("unknown tag '" + args[0] + "'");
    // A value this script wrote reads back as written, though it is not committed yet.
    const auto staged = std::find_if(staged_.rbegin(), staged_.rend(),
                                     [index](const auto& change) { return change.tag == index; });
    if (staged != staged_.rend()) return staged->value;
    return context_.tags.Text(index, context_.now);
  }

  std::optional<std::string> TagWrite(const Args& args) {
    TagStore::Change change;
    switch (context_.tags.Prepare(args[0], args[1], change)) {
      case TagStore::WriteStatus::UnknownTag:
      case TagStore::WriteStatus::BadValue:
        return Refuse(context_.tags.Refusal(args[0], args[1]));
      case TagStore::WriteStatus::Written:
        break;
    }
    staged_.push_back(std::move(change));
    return staged_.back().value;
  }

  std::optional<std::string> Sleep(const Args& args) {
    const auto ms = Milliseconds(args[0]);
    if (!ms) return Refuse(kBadSleep);
    delay_ = std::min<Millis>(kMaxSleepMillis, delay_ + static_cast<Millis>(std::min(*ms, 1e9)));
    return std::string("0");
  }

  std::optional<std::string> SimFault(const Args& args) {
    setFaults_ = true;
    if (!context_.sim.faults) return Refuse("SimFault is not available here");
    if (!context_.administrator) {
      spdlog::warn("fault refused to {}, who is no administrator", context_.caller);
      return Refuse("SimFault is for administrators only");
    }
    auto parsed = ParseFault(args[0], args.size() > 1 ? std::optional(args[1]) : std::nullopt);
    if (const auto* error = std::get_if<std::string>(&parsed)) return Refuse(*error);
    faults_.push_back(std::get<FaultRequest>(parsed));
    return Describe(faults_.back());
  }

  std::optional<std::string> SimPeer(const Args&) {
    return context_.sim.peerState ? context_.sim.peerState() : "no peer";
  }

  ScriptContext& context_;
  std::vector<TagStore::Change> staged_;
  std::vector<FaultRequest> faults_;  // set once the whole text has run
  bool setFaults_ = false;
  std::string error_;
  Millis delay_ = 0;
};

bool CallsTagWrite(const Call& call) {
  if (SameName(call.name, "TagWrite")) return true;
  return std::any_of(call.arguments.begin(), call.arguments.end(), [](const Argument& argument) {
    return argument.kind == Argument::Kind::Call && CallsTagWrite(*argument.call);
  });
}

}  // namespace

ScriptOutcome RunScript(const std::string& text, ScriptContext& context) {
  const ParseResult parsed = ParseCall(text);
  if (!parsed.call) return {false, {}, parsed.error, 0};
  Evaluator evaluator(context);
  if (!evaluator.Check(*parsed.call)) return {false, {}, evaluator.error(), 0};
  auto result = evaluator.Run(*parsed.call);
  if (!result) return {false, {}, evaluator.error(), 0, evaluator.setFaults()};
  context.tags.Commit(evaluator.staged());
  for (const FaultRequest& fault : evaluator.faults()) {
    context.sim.faults->Apply(fault);
    spdlog::warn("fault on request by {}: {}", context.caller, Describe(fault));
  }
  return {true, std::move(*result), {}, evaluator.delay(), evaluator.setFaults()};
}

bool IsQuickScript(const std::string& text) {
  if (text.size() > kQuickScriptBytes) return false;
  // A text that does not spell the name cannot call it: most scripts are then judged without
  // being parsed twice, here and again to run.
  constexpr std::string_view kWriter = "tagwrite";
  const auto spelled =
      std::search(text.begin(), text.end(), kWriter.begin(), kWriter.end(),
                  [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
  if (spelled == text.end()) return true;
  const ParseResult parsed = ParseCall(text);
  return !parsed.call || !CallsTagWrite(*parsed.call);
}

}  // namespace znsim
