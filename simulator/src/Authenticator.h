#pragma once
/// Checks user names and passwords against the project's Argon2id hashes.
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Project.h"

namespace znsim {

class Authenticator {
 public:
  /// Calls sodium_init; throws when libsodium cannot start.
  explicit Authenticator(const std::vector<UserDef>& users);
  /// True only for a known user with the right password. Unknown users cost one hash check
  /// too, so the answer time does not tell which user names exist.
  bool Verify(const std::string& user, const std::string& password) const;
  /// Whether the project makes `user` an administrator.
  bool IsAdministrator(const std::string& user) const;

 private:
  std::unordered_map<std::string, std::string> hashes_;
  std::unordered_set<std::string> administrators_;
  std::string decoy_;
};

/// A fresh Argon2id hash with parameters cheap enough for many test logins (~10 ms).
std::string HashPassword(const std::string& password);

}  // namespace znsim
