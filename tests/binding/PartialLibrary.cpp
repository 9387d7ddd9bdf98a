// Stands in for a client library of an older or broken build: it exports znOpen, znClose and
// znZncode and nothing else of the fifteen; built once with the optional znLastError and once
// without it.
#include <cstdint>
#include <cstring>

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT std::int32_t znOpen(const char* computer, const char*, const char*, std::int32_t) {
  return computer && std::strcmp(computer, "unreachable") == 0 ? 0 : 7;
}

EXPORT std::int32_t znClose(std::int32_t h) {
  return h == 7 ? 1 : 0;
}

#ifdef OFFERS_REASONS
EXPORT std::int32_t znLastError(char* buffer, std::int32_t length) {
  static const char kReason[] = "connection refused by unreachable";
  if (!buffer || length < static_cast<std::int32_t>(sizeof kReason)) return 0;
  std::memcpy(buffer, kReason, sizeof kReason);
  return 1;
}
#endif

EXPORT std::int32_t znZncode(std::int32_t h, const char*, std::int32_t, std::int32_t, char* result,
                             std::int32_t length, std::int32_t) {
  static const char kTime[] = "10:11:12";
  if (h != 7 || !result || length < static_cast<std::int32_t>(sizeof kTime)) return 0;
  std::memcpy(result, kTime, sizeof kTime);
  return 1;
}
