#include "ScriptParser.h"

#include <cctype>

namespace znsim {

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  ParseResult Run() {
    ParseResult result;
    result.call = ParseCallAt(0);
    SkipBlanks();
    if (result.call && pos_ != text_.size()) Fail("unexpected text after the call");
    if (!error_.empty()) {
      result.call.reset();
      result.error = error_;
    }
    return result;
  }

 private:
  // Names come from the project file, which takes any letter (Trénd, Насос): every byte of a
  // character beyond ASCII belongs to a word, and only ASCII marks end one.
  static bool BeyondAscii(char c) { return static_cast<unsigned char>(c) >= 0x80; }
  static bool IsWordStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_' || BeyondAscii(c);
  }
  static bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.' ||
           BeyondAscii(c);
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

  // Where the text went wrong, as the number of characters read before the fault (a text
  // cut short fails at its length), then what the parser wanted there.
  std::nullptr_t Fail(std::string_view expected) {
    if (error_.empty()) {
      error_ = "syntax error at character " + std::to_string(CharacterCount(pos_)) + " of '" +
               Shown() + "': " + std::string(expected);
    }
    return nullptr;
  }
  std::size_t CharacterCount(std::size_t bytes) const {
    std::size_t count = 0;
    for (std::size_t i = 0; i < bytes && i < text_.size(); ++i) {
      if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) ++count;  // not a continuation
    }
    return count;
  }
  // The text as the error quotes it: a hostile megabyte is not echoed back whole.
  std::string Shown() const {
    constexpr std::size_t kShownBytes = 200;
    if (text_.size() <= kShownBytes) return std::string(text_);
    std::size_t cut = kShownBytes;
    while (cut > 0 && (static_cast<unsigned char>(text_[cut]) & 0xC0) == 0x80) --cut;
    return std::string(text_.substr(0, cut)) + "...";
  }

  std::string Word() {
    const std::size_t start = pos_;
    while (!AtEnd() && IsWordChar(text_[pos_])) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  std::shared_ptr<Call> ParseCallAt(int depth) {
    if (depth >= kMaxCallDepth) return Fail("calls nested too deeply");
    SkipBlanks();
    if (!IsWordStart(Peek())) return Fail("a function name was expected");
    auto call = std::make_shared<Call>();
    call->name = Word();
    SkipBlanks();
    if (Peek() != '(') return Fail("'(' was expected");
    ++pos_;
    SkipBlanks();
    if (Peek() == ')') {
      ++pos_;
      return call;
    }
    while (true) {
      Argument argument;
      if (!ParseArgument(argument, depth)) return nullptr;
      call->arguments.push_back(std::move(argument));
      SkipBlanks();
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      if (Peek() == ')') {
        ++pos_;
        return call;
      }
      return Fail("',' or ')' was expected");
    }
  }

  bool ParseArgument(Argument& argument, int depth) {
    SkipBlanks();
    const char c = Peek();
    if (c == '"') return ParseString(argument);
    if (std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '+' || c == '.') {
      return ParseNumber(argument);
    }
    if (IsWordStart(c)) {
      const std::size_t start = pos_;
      Word();
      SkipBlanks();
      if (Peek() == '(') {
        pos_ = start;
        argument.kind = Argument::Kind::Call;
        argument.call = ParseCallAt(depth + 1);
        return argument.call != nullptr;
      }
      argument.kind = Argument::Kind::Word;
      argument.text = std::string(text_.substr(start, pos_ - start));
      while (!argument.text.empty() && argument.text.back() == ' ') argument.text.pop_back();
      return true;
    }
    Fail("an argument was expected");
    return false;
  }

  // A doubled quote inside a string stands for one quote character.
  bool ParseString(Argument& argument) {
    argument.kind = Argument::Kind::String;
    ++pos_;
    while (!AtEnd()) {
      const char c = text_[pos_++];
      if (c != '"') {
        argument.text.push_back(c);
      } else if (Peek() == '"') {
        argument.text.push_back('"');
        ++pos_;
      } else {
        return true;
      }
    }
    Fail("unterminated string");
    return false;
  }

  bool ParseNumber(Argument& argument) {
    argument.kind = Argument::Kind::Number;
    const std::size_t start = pos_;
    if (Peek() == '-' || Peek() == '+') ++pos_;
    bool digits = false;
    while (std::isdigit(static_cast<unsigned char>(Peek())) != 0) ++pos_, digits = true;
    if (Peek() == '.') {
      ++pos_;
      while (std::isdigit(static_cast<unsigned char>(Peek())) != 0) ++pos_, digits = true;
    }
    if (digits && (Peek() == 'e' || Peek() == 'E')) {
      ++pos_;
      if (Peek() == '-' || Peek() == '+') ++pos_;
      bool exponent = false;
      while (std::isdigit(static_cast<unsigned char>(Peek())) != 0) ++pos_, exponent = true;
      if (!exponent) digits = false;
    }
    if (!digits) {
      Fail("a number was expected");
      return false;
    }
    argument.text = std::string(text_.substr(start, pos_ - start));
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::string error_;
};

}  // namespace

ParseResult ParseCall(std::string_view text) {
  return Parser(text).Run();
}

}  // namespace znsim
