#include "LastError.h"

namespace znapi::detail {
namespace {

// Initial-exec keeps the reason in the static TLS block that glibc reserves for libraries
// loaded at run time: no __tls_get_addr per call, and no dynamic TLS slot that a leak
// checker walking the threads at exit can misread (it read a bogus slot and crashed).
thread_local std::string reason __attribute__((tls_model("initial-exec")));

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
