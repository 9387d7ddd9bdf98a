#pragma once
/// Helpers for driving libznapi.so through its C entry points in end-to-end tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "ZnsimProcess.h"
#include "znapi.h"

namespace znapi::testing {

inline constexpr const char* kUser = "Engineer";
inline constexpr const char* kPassword = "Marlow";

/// Sets an environment variable for the life of the object, then puts the old value back.
class EnvOverride {
 public:
  EnvOverride(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~EnvOverride() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

inline int32_t OpenTo(const testing_support::ZnsimProcess& server,
                      const char* password = kPassword) {
  return znOpen(server.address().c_str(), kUser, password, 0);
}

/// The value of a tag, or nullopt when the read fails.
inline std::optional<std::string> ReadTag(int32_t h, const std::string& tag) {
  char value[256] = {};
  if (znTagRead(h, tag.c_str(), value, sizeof value) == 0) return std::nullopt;
  return std::string(value);
}

inline std::optional<std::string> Zncode(int32_t h, const std::string& function) {
  char result[256] = {};
  if (znZncode(h, function.c_str(), 0, 0, result, sizeof result, 0) == 0) return std::nullopt;
  return std::string(result);
}

inline std::optional<std::string> Property(int32_t record, const std::string& name) {
  char buffer[256] = {};
  int32_t length = 0;
  if (znGetProperty(record, name.c_str(), buffer, sizeof buffer, &length, ZNAPI_TYPE_TEXT) == 0) {
    return std::nullopt;
  }
  return std::string(buffer, static_cast<std::size_t>(length));
}

inline std::optional<std::string> ListData(int32_t item) {
  char value[256] = {};
  if (znListData(item, value, sizeof value, 0) == 0) return std::nullopt;
  return std::string(value);
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
