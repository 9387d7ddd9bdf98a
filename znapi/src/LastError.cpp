#include "LastError.h"

namespace znapi::detail {
namespace {

thread_local std::string reason;

}  // namespace

void ClearReason() noexcept {
  reason.clear();
}

void SetReason(std::string_view text) noexcept {
  if (!reason.empty()) return;
  try {
    reason = text;
  } catch (...) {
    // Out of memory: a call that fails without its reason still fails.
  }
}

const std::string& Reason() noexcept {
  return reason;
}

std::string WaitText(long long milliseconds) {
  if (milliseconds % 1000 == 0) return std::to_string(milliseconds / 1000) + " s";
  return std::to_string(milliseconds) + " ms";
}

}  // namespace znapi::detail
