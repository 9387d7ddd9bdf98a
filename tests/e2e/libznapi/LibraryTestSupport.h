#pragma once
/// Helpers for driving libznapi.so through its C entry points in end-to-end tests.
#include <gtest/gtest.h>
#include <sodium.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>

#include "ZnsimProcess.h"
#include "znapi.h"

namespace znapi::testing {

inline constexpr const char* kUser = "Engineer";
inline constexpr const char* kPassword = "Marlow";

inline int32_t OpenTo(const testing_support::ZnsimProcess& server,
                      const char* password = kPassword) {
  return znOpen(server.address().c_str(), kUser, password, 0);
}

/// A connection whose requests give up after two seconds.
inline int32_t OpenImpatient(const testing_support::ZnsimProcess& server) {
  setenv("ZNAPI_TIMEOUT_MS", "2000", 1);  // read at each open
  const int32_t h = OpenTo(server);
  unsetenv("ZNAPI_TIMEOUT_MS");
  return h;
}

/// The Argon2id hash of a project file's user, at the cheapest cost to keep tests quick.
inline std::string PasswordHash(const std::string& utf8Password) {
  char out[crypto_pwhash_STRBYTES];
  if (sodium_init() < 0 ||
      crypto_pwhash_str(out, utf8Password.data(), utf8Password.size(), crypto_pwhash_OPSLIMIT_MIN,
                        crypto_pwhash_MEMLIMIT_MIN) != 0)
    throw std::runtime_error("hashing failed");
  return out;
}

/// Why the last failed call on this thread failed; empty after a success.
inline std::string LastError() {
  char buffer[512];
  std::fill(std::begin(buffer), std::end(buffer), 'x');
  const int32_t has = znLastError(buffer, sizeof buffer);
  EXPECT_EQ(has != 0, buffer[0] != '\0') << "the result says whether there is a reason";
  return buffer;
}

/// What a call wrote into its buffer, or nullopt when it failed.
template <typename Call>
std::optional<std::string> TextOf(Call call) {
  char buffer[256] = {};
  if (call(buffer, static_cast<int32_t>(sizeof buffer)) == 0) return std::nullopt;
  return std::string(buffer);
}
inline std::optional<std::string> ReadTag(int32_t h, const std::string& tag) {
  return TextOf([&](char* b, int32_t n) { return znTagRead(h, tag.c_str(), b, n); });
}
inline std::optional<std::string> Zncode(int32_t h, const std::string& function) {
  return TextOf([&](char* b, int32_t n) { return znZncode(h, function.c_str(), 0, 0, b, n, 0); });
}
inline std::optional<std::string> Property(int32_t record, const std::string& name) {
  return TextOf([&](char* b, int32_t n) {
    return znGetProperty(record, name.c_str(), b, n, nullptr, ZNAPI_TYPE_TEXT);
  });
}
inline std::optional<std::string> ListData(int32_t item) {
  return TextOf([&](char* b, int32_t n) { return znListData(item, b, n, 0); });
}

/// A connection to a fresh demo znsim for each test.
class Connected : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_GT(h_ = OpenTo(server_), 0); }
  void TearDown() override { znClose(h_); }

  testing_support::ZnsimProcess server_;
  int32_t h_ = 0;
};

}  // namespace znapi::testing
