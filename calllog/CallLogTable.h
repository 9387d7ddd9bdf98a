#pragma once
/// The call log as a table: its columns as text, and the rows a view shows under its filter,
/// kept in step with the log as calls are recorded and the oldest dropped.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <optional>

#include "CallLog.h"

namespace calllog {

enum Column { kTime, kOperation, kArguments, kResult, kReturned, kDuration, kReason, kColumnCount };

/// The column captions, which also head a saved file.
QStringList ColumnTitles();

/// The text of one column of a record. The time shows the time of day to the millisecond,
/// or with the date as well when `withDate`.
QString FieldText(const binding::CallRecord& record, Column column, bool withDate = false);

/// Which calls a view shows.
struct Filter {
  std::optional<binding::ZnOp> op;  // every operation when empty
  bool failuresOnly = false;
  bool Passes(const binding::CallRecord& record) const;
};

/// The calls of a log that pass a filter, by their numbers in the log, oldest first. It
/// follows the log in two steps so that a view can announce each change before it happens.
class CallLogRows {
 public:
  explicit CallLogRows(const binding::CallLog& log) : log_(log) {}

  /// Starts over with every call the log keeps that passes `filter`.
  void Reset(const Filter& filter);
  /// Rows at the front whose calls the log has dropped (or cleared) since the last step.
  std::size_t Stale() const;
  void DropStale();
  /// The calls recorded since the last look that pass the filter; Append them next.
  std::deque<std::uint64_t> Fresh();
  void Append(const std::deque<std::uint64_t>& fresh);

  std::size_t size() const { return rows_.size(); }
  /// The record of row `row`; nullptr when the log has dropped it since the last step.
  const binding::CallRecord* at(std::size_t row) const;

 private:
  const binding::CallLog& log_;
  Filter filter_;
  std::deque<std::uint64_t> rows_;
  std::uint64_t seen_ = 0;  // the log's end() at the last look
};

/// Every column of a record, the time with its date, as a copied or saved row has them.
QStringList RecordFields(const binding::CallRecord& record);

}  // namespace calllog
