#include "Authenticator.h"

#include <sodium.h>

#include <stdexcept>

namespace znsim {

namespace {

constexpr unsigned long long kOpsLimit = 2;
constexpr std::size_t kMemLimit = 8u * 1024u * 1024u;

}  // namespace

std::string HashPassword(const std::string& password) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium failed to start");
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(out, password.data(), password.size(), kOpsLimit, kMemLimit) != 0) {
    throw std::runtime_error("password hashing ran out of memory");
  }
  return out;
}

Authenticator::Authenticator(const std::vector<UserDef>& users) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium failed to start");
  for (const auto& user : users) {
    if (user.hash.size() >= crypto_pwhash_STRBYTES) {
      throw std::runtime_error("password hash of '" + user.name + "' is too long");
    }
    hashes_[user.name] = user.hash;
    if (user.administrator) administrators_.insert(user.name);
  }
  decoy_ = HashPassword("decoy password that no client sends");
}

bool Authenticator::Verify(const std::string& user, const std::string& password) const {
  const auto it = hashes_.find(user);
  const std::string& hash = it == hashes_.end() ? decoy_ : it->second;
  const bool match = crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
  return match && it != hashes_.end();
}

bool Authenticator::IsAdministrator(const std::string& user) const {
  return administrators_.count(user) != 0;
}

}  // namespace znsim
