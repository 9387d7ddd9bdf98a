#include "CallLogTable.h"

#include <QDateTime>

#include "TextValues.h"

namespace calllog {

QStringList ColumnTitles() {
  return {QStringLiteral("Time"),          QStringLiteral("Operation"),
          QStringLiteral("Arguments"),     QStringLiteral("Result"),
          QStringLiteral("Returned text"), QStringLiteral("Duration (\u00B5s)"),
          QStringLiteral("Reason")};
}

QString FieldText(const binding::CallRecord& record, Column column, bool withDate) {
  switch (column) {
    case kTime:
      return QDateTime::fromMSecsSinceEpoch(record.startMs)
          .toString(withDate ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                             : QStringLiteral("HH:mm:ss.zzz"));
    case kOperation:
      return QString::fromLatin1(binding::ZnOpName(record.op));
    case kArguments:
      return logic::FromAnsi(binding::ArgumentsText(record));
    case kResult:
      return QString::number(record.result);
    case kReturned:
      return logic::FromAnsi(record.returned);
    case kDuration:
      return QString::number(record.durationUs);
    case kReason:
      return logic::FromAnsi(record.reason);
    case kColumnCount:
      break;
  }
  return {};
}

bool Filter::Passes(const binding::CallRecord& record) const {
  return (!op || record.op == *op) && (!failuresOnly || binding::IsFailure(record));
}

void CallLogRows::Reset(const Filter& filter) {
  filter_ = filter;
  rows_.clear();
  seen_ = log_.first();
  Append(Fresh());
}

std::size_t CallLogRows::Stale() const {
  std::size_t stale = 0;
  while (stale < rows_.size() && rows_[stale] < log_.first()) ++stale;
  return stale;
}

void CallLogRows::DropStale() {
  rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(Stale()));
}

std::deque<std::uint64_t> CallLogRows::Fresh() {
  std::deque<std::uint64_t> fresh;
  // Calls dropped before they were ever seen are skipped.
  for (std::uint64_t n = std::max(seen_, log_.first()); n < log_.end(); ++n) {
    if (filter_.Passes(log_.at(n))) fresh.push_back(n);
  }
  seen_ = log_.end();
  return fresh;
}

void CallLogRows::Append(const std::deque<std::uint64_t>& fresh) {
  rows_.insert(rows_.end(), fresh.begin(), fresh.end());
}

const binding::CallRecord* CallLogRows::at(std::size_t row) const {
  const std::uint64_t n = rows_.at(row);
  return n < log_.first() ? nullptr : &log_.at(n);
}

QStringList RecordFields(const binding::CallRecord& record) {
  QStringList fields;
  fields.reserve(kColumnCount);
  for (int column = 0; column < kColumnCount; ++column) {
    fields << FieldText(record, static_cast<Column>(column), true);
  }
  return fields;
}

}  // namespace calllog
