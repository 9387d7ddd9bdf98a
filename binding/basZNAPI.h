#pragma once
/// The module state that both windows and zncheck share: the library seam, the connection
/// table with the rule that hands out a live connection, and the wrappers around the library
/// calls that answer in a text buffer.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

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
  /// Why the last GetConnection reached no server, in the library's words: the reason alone
  /// with one slot, one line per slot tried ("Primary: ...") with two. Empty when the library
  /// gives no reasons.
  std::string ConnectionFailure() const;

  /// Runs a server function text; -1 when the library call returned non-zero, else 0.
  /// `result` receives the buffer's text after every call that returned from the library.
  std::int16_t CallServerFunction(std::int32_t h, std::string function, std::string& result);

  /// One tag's value: a number when the text reads as one, else the text before the first
  /// NUL; no value when the read failed or h is 0.
  TagValue ReadTagValue(std::int32_t h, std::string tag);
  /// Writes a value text to a tag; false when the library refused it. Library errors
  /// (LibraryError) pass to the caller.
  bool WriteTag(std::int32_t h, const std::string& tag, const std::string& value);

  /// Lets the next GetConnection reach what the texts now say: each slot whose computer, user
  /// or password text changed since its last open may be opened again (after a failover too),
  /// and its handle, if one is open, is closed. Slots whose texts did not change keep the
  /// failover rule. Library errors (LibraryError) pass to the caller.
  void ReopenChangedSlots();

  /// Closes every open handle of the table, as the program ends; errors are dropped.
  void CloseAll();

  /// The computer text the handle in use was opened with.
  const std::string& ComputerInUse() const;
  /// ComputerInUse(), or "LOCAL" when that text is empty.
  std::string ServerName() const;

 private:
  struct SlotFailure {
    int slot;
    std::string reason;
  };
  /// Keeps the library's reason for the call on `slot` that just failed.
  void NoteFailure(int slot);

  ZnApi& api_;
  ConnectionTable table_;
  std::vector<SlotFailure> failures_;  // of the last GetConnection
};

}  // namespace binding
