#include "ScriptFunctions.h"

#include <strings.h>  // strcasecmp

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "ScriptParser.h"

#ifndef ZNSIM_VERSION
#define ZNSIM_VERSION "1.0.0"
#endif

namespace znsim {

namespace {

class Evaluator {
 public:
  explicit Evaluator(ScriptContext& context) : context_(context) {}

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
    return Apply(call.name, args);
  }

  const std::string& error() const { return error_; }
  Millis delay() const { return delay_; }

 private:
  std::nullopt_t Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return std::nullopt;
  }

  bool Arity(const std::string& name, const std::vector<std::string>& args, std::size_t low,
             std::size_t high) {
    if (args.size() >= low && args.size() <= high) return true;
    Fail(name + " takes " + std::to_string(low) +
         (high == low ? "" : " to " + std::to_string(high)) + " argument(s)");
    return false;
  }

  std::optional<std::string> Apply(const std::string& name, const std::vector<std::string>& args) {
    const auto is = [&](const char* known) { return strcasecmp(name.c_str(), known) == 0; };
    if (is("Time")) {
      if (!Arity(name, args, 0, 1)) return std::nullopt;
      return FormatTime(context_.now);
    }
    if (is("Date")) {
      if (!Arity(name, args, 0, 1)) return std::nullopt;
      return FormatDate(context_.now);
    }
    if (is("Version")) {
      if (!Arity(name, args, 0, 0)) return std::nullopt;
      return "znsim " ZNSIM_VERSION " " + context_.serverName;
    }
    if (is("TagRead")) {
      if (!Arity(name, args, 1, 1)) return std::nullopt;
      auto value = context_.tags.Read(args[0], context_.now);
      if (!value) return Fail("unknown tag '" + args[0] + "'");
      return value;
    }
    if (is("TagWrite")) {
      if (!Arity(name, args, 2, 2)) return std::nullopt;
      const auto written = context_.tags.Write(args[0], args[1]);
      if (written.status == TagStore::WriteStatus::UnknownTag) {
        return Fail("unknown tag '" + args[0] + "'");
      }
      if (written.status == TagStore::WriteStatus::BadValue) {
        return Fail("value does not fit tag '" + args[0] + "'");
      }
      return written.value;
    }
    if (is("Sleep")) {
      if (!Arity(name, args, 1, 1)) return std::nullopt;
      double ms = 0;
      const auto [end, ec] = std::from_chars(args[0].data(), args[0].data() + args[0].size(), ms);
      if (ec != std::errc{} || end != args[0].data() + args[0].size() || !std::isfinite(ms) ||
          ms < 0) {
        return Fail("Sleep takes a number of milliseconds >= 0");
      }
      delay_ = std::min<Millis>(kMaxSleepMillis, delay_ + static_cast<Millis>(std::min(ms, 1e9)));
      return std::string("0");
    }
    return Fail("unknown function '" + name + "'");
  }

  ScriptContext& context_;
  std::string error_;
  Millis delay_ = 0;
};

}  // namespace

ScriptOutcome RunScript(const std::string& text, ScriptContext& context) {
  const ParseResult parsed = ParseCall(text);
  if (!parsed.call) return {false, {}, "bad function text: " + parsed.error, 0};
  Evaluator evaluator(context);
  auto result = evaluator.Run(*parsed.call);
  if (!result) return {false, {}, evaluator.error(), 0};
  return {true, std::move(*result), {}, evaluator.delay()};
}

}  // namespace znsim
