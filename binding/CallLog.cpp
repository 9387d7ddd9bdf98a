#include "CallLog.h"

#include <algorithm>

#include "znapi.h"  // ZNAPI_REASON_NO_MORE_RECORDS

namespace binding {

const char* ZnOpName(ZnOp op) {
  return OperationOf(op).name;
}

bool IsFailure(const CallRecord& record) {
  if (record.result != 0) return false;
  return record.op != ZnOp::znFindNext ||
         !(record.reason.empty() || record.reason == ZNAPI_REASON_NO_MORE_RECORDS);
}

std::string ArgumentsText(const CallRecord& record) {
  std::string out;
  std::size_t number = 0, text = 0;
  for (const char kind : OperationOf(record.op).kinds) {
    if (kind != 'n' && kind != 't' && kind != 'p') continue;  // out arguments are not shown
    if (!out.empty()) out += ", ";
    if (kind == 'n') {
      out += std::to_string(record.numbers[number++]);
    } else if (kind == 't') {
      out += '"' + record.texts[text++] + '"';
    } else {
      out += "******";  // not even its length
    }
  }
  return out;
}

std::string_view KeptText(std::string_view text) {
  return text.substr(0, kKeptTextLength);
}

CallLog::CallLog(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {
  // Only address space: pages are taken as the ring fills.
  records_.reserve(capacity_);
}

CallRecord& CallLog::Append() {
  CallRecord& record =
      records_.size() < capacity_ ? records_.emplace_back() : records_[end_ % capacity_];
  ++end_;
  if (end_ - first_ > capacity_) first_ = end_ - capacity_;
  return record;
}

const CallRecord* CallLog::LastFailureSince(std::uint64_t n) const {
  for (std::uint64_t at = end_; at > std::max(n, first_); --at) {
    if (IsFailure(records_[(at - 1) % capacity_])) return &records_[(at - 1) % capacity_];
  }
  return nullptr;
}

}  // namespace binding
