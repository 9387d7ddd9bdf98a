#pragma once
/// The texts zncheck reads and writes beside its rows: durations typed on the command line,
/// ISO 8601 timestamps, and the change between UTF-8 (terminal) and Windows-1252 (library).
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zncheck {

/// "500ms", "2s", "10m", "1.5h", "1d", or a bare number of seconds. Nothing for any other
/// text, and for a duration that is not above zero or not below a year.
std::optional<std::chrono::milliseconds> ParseDuration(std::string_view text);

/// The server's "dd/mm/yyyy" and "HH:mm:ss" (with an optional fraction) as
/// "yyyy-mm-ddTHH:mm:ss". Empty when both are empty; texts of another form are kept, joined
/// by a blank, so that nothing the server said is lost.
std::string IsoTimestamp(std::string_view date, std::string_view time);

/// This computer's time now, ISO 8601 to the millisecond with its offset from UTC.
std::string IsoNow();

/// The records of a CSV text (RFC 4180): fields split at commas, quoted fields may hold
/// commas, line breaks and doubled quotes; records end at CR LF or LF. Empty lines are no
/// records.
std::vector<std::vector<std::string>> ReadCsv(std::string_view text);

/// Everything in a file, or standard input for "-"; raises UsageError when it cannot be read.
std::string ReadInput(const std::string& path);

/// `utf8` as a terminal may show it: every control character as an escape, "\x1b" below the
/// blank and for DEL, "\u0085" for the C1 controls, so that a server's text moves no cursor,
/// sets no title and rings no bell. Everything else, backslashes included, stays as it is.
std::string Printable(std::string_view utf8);

/// Command-line text (UTF-8) as the library takes it. Raises UsageError, naming the
/// characters, when Windows-1252 lacks any: the text would arrive changed.
std::string AnsiFromUtf8(std::string_view utf8);
/// Library text (Windows-1252) as UTF-8.
std::string Utf8FromAnsi(std::string_view ansi);

}  // namespace zncheck
