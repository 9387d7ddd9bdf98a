#pragma once
/// The module state that both windows and zncheck share: the library seam, the connection
/// table with the rule that hands out a live connection, and the wrappers around the library
/// calls that answer in a text buffer.
#include <cstdint>
#include <string>
#include <variant>

#include "ConnectionTable.h"
#include "ZnApi.h"

namespace binding {

/// No value, a number, or a text.
using TagValue = std::variant<std::monostate, double, std::string>;

/// The module state shared by both windows: the library seam and the connection table.
class basZNAPI {
 public:
  explicit basZNAPI(ZnApi& api) : api_(api) {}

  ZnApi& api() { return api_; }
  ConnectionTable& table() { return table_; }
  const ConnectionTable& table() const { return table_; }

  /// A live connection handle, or 0; updates Handle, CurrentSlot and OpenAllowed.
  /// Library errors (LibraryError) pass to the caller.
  std::int32_t GetConnection();

  /// Runs a server function text; -1 when the library call returned non-zero, else 0.
  /// `result` receives the buffer's text after every call that returned from the library.
  std::int16_t CallServerFunction(std::int32_t h, std::string function, std::string& result);

  /// One tag's value: a number when the text reads as one, else the text before the first
  /// NUL; no value when the read failed or h is 0.
  TagValue ReadTagValue(std::int32_t h, std::string tag);
  /// Writes a value text to a tag; false when the library refused it. Library errors
  /// (LibraryError) pass to the caller.
  bool WriteTag(std::int32_t h, const std::string& tag, const std::string& value);

  /// Closes each open handle whose slot's computer, user or password text has changed since
  /// it was opened, so that the next GetConnection reaches what the texts now say.
  /// Library errors (LibraryError) pass to the caller.
  void CloseChangedConnections();

  /// Closes every open handle of the table, as the program ends; errors are dropped.
  void CloseAll();

  /// The library's reason for this thread's last failed call; empty when it gives none.
  std::string LastReason();

  /// The computer text the handle in use was opened with.
  const std::string& ComputerInUse() const;
  /// ComputerInUse(), or "LOCAL" when that text is empty.
  std::string ServerName() const;

 private:
  ZnApi& api_;
  ConnectionTable table_;
};

}  // namespace binding
