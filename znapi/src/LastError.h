#pragma once
/// Why the calling thread's last call failed. Each thread keeps its own reason, so threads
/// that share the library never read each other's. The text is UTF-8, like all text inside.
#include <string>
#include <string_view>

namespace znapi::detail {

/// Forgets the reason; every call starts with none.
void ClearReason() noexcept;
/// Records why the current call fails, unless a failure point further down the same call
/// already has: the first fault found carries the most specific facts.
void SetReason(std::string_view reason) noexcept;
/// The reason recorded since the last ClearReason; empty when there is none.
const std::string& Reason() noexcept;

/// A wait in words, as reasons give it: "5 s", or "250 ms" when not whole seconds.
std::string WaitText(long long milliseconds);

}  // namespace znapi::detail
