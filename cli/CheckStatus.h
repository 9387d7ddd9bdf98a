#pragma once
/// How a check ends, in the plugin conventions that monitoring systems run unchanged: one
/// status line, exit 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN. Every failure leaves zncheck
/// through main(), which maps it to one of these.
#include <stdexcept>

namespace zncheck {

enum class CheckStatus : int { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

/// The command line asks for something that cannot be done: exit 3 with the reason.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline CheckStatus Worse(CheckStatus a, CheckStatus b) {
  return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

}  // namespace zncheck
