#pragma once
/// Values from a server go into files that a spreadsheet opens: none of them may run there as
/// a formula. The windows' CSV and clipboard text and zncheck's CSV share this one rule.
#include <QString>
#include <string>
#include <string_view>

namespace logic {

/// Whether a spreadsheet would take `field` for a formula: it starts with "=", "@", a tab or
/// a carriage return, or with "+" or "-" without being a number ("-5" stays a number).
bool RunsAsFormula(const QString& field);

/// `field`, with a leading "'" when it would run as a formula, so that it stays text.
QString GuardedCell(const QString& field);
/// The same for UTF-8 text.
std::string GuardedCell(std::string_view utf8);

}  // namespace logic
