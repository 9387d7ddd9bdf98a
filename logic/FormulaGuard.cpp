#include "FormulaGuard.h"

#include "TextValues.h"

namespace logic {

bool RunsAsFormula(const QString& field) {
  if (field.isEmpty()) return false;
  switch (field.front().unicode()) {
    case '=':
    case '@':
    case '\t':
    case '\r':
      return true;
    case '+':
    case '-':
      return !ParseDecimal(field);
    default:
      return false;
  }
}

QString GuardedCell(const QString& field) {
  return RunsAsFormula(field) ? QLatin1Char('\'') + field : field;
}

std::string GuardedCell(std::string_view utf8) {
  // Only the first character decides, and only "+" and "-" need the whole text.
  if (utf8.empty() || std::string_view("=@\t\r+-").find(utf8.front()) == std::string_view::npos)
    return std::string(utf8);
  const QString field = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  return RunsAsFormula(field) ? "'" + std::string(utf8) : std::string(utf8);
}

}  // namespace logic
