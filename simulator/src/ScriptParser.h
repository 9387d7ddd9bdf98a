#pragma once
/// The parser shared by script functions (Time(1), TagWrite("T", 5)...) and the query texts
/// that finds send as table names (ZNAPITrend("04:00:24","04/05/2005", 2 , 300, 0, TREND1)).
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace znsim {

struct Call;

/// One argument: a quoted string, a number as typed, a bare word, or a nested call.
struct Argument {
  enum class Kind { String, Number, Word, Call };
  Kind kind = Kind::String;
  std::string text;            // the string's content, the number or the word as typed
  std::shared_ptr<Call> call;  // set for Kind::Call
};

struct Call {
  std::string name;
  std::vector<Argument> arguments;
};

struct ParseResult {
  std::shared_ptr<Call> call;  // null on failure
  std::string error;
};

/// Nesting deeper than this is refused so that hostile text cannot exhaust the stack.
inline constexpr int kMaxCallDepth = 32;

/// Parses one call that spans the whole text (blanks allowed around tokens).
ParseResult ParseCall(std::string_view text);

}  // namespace znsim
