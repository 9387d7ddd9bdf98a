#include "PeerKeys.h"

#include <sodium.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace znsim {

namespace {

void StartSodium() {
  if (sodium_init() < 0) throw std::runtime_error("libsodium failed to start");
}

std::string Hmac(const PeerKey& key, std::string_view label, std::string_view text) {
  crypto_auth_hmacsha256_state state;
  crypto_auth_hmacsha256_init(&state, key.data(), key.size());
  crypto_auth_hmacsha256_update(&state, reinterpret_cast<const unsigned char*>(label.data()),
                                label.size());
  crypto_auth_hmacsha256_update(&state, reinterpret_cast<const unsigned char*>(text.data()),
                                text.size());
  std::string mac(crypto_auth_hmacsha256_BYTES, '\0');
  crypto_auth_hmacsha256_final(&state, reinterpret_cast<unsigned char*>(mac.data()));
  return mac;
}

PeerKey KeyOf(const std::string& mac) {
  PeerKey key;
  std::copy(mac.begin(), mac.begin() + key.size(), key.begin());
  return key;
}

}  // namespace

PeerKey PeerKeyOf(std::string_view secret) {
  StartSodium();
  if (secret.size() < kPeerSecretMinimum) {
    throw std::runtime_error("the peer secret has " + std::to_string(secret.size()) +
                             " characters; a pair needs at least " +
                             std::to_string(kPeerSecretMinimum));
  }
  // Any length of secret becomes a key of the size the proofs use.
  PeerKey key;
  crypto_generichash(key.data(), key.size(), reinterpret_cast<const unsigned char*>(secret.data()),
                     secret.size(), nullptr, 0);
  return key;
}

PeerKey LoadPeerSecret(const std::filesystem::path& file) {
  const std::string name = file.string();
  struct stat status {};
  if (stat(name.c_str(), &status) != 0) throw std::runtime_error("cannot read " + name);
  if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    throw std::runtime_error(
        name + " may be read by other users; make it the owner's alone (chmod 600 " + name + ")");
  }
  std::ifstream in(file, std::ios::binary);
  std::string secret(std::istreambuf_iterator<char>(in), {});
  if (!in && !in.eof()) throw std::runtime_error("cannot read " + name);
  while (!secret.empty() && (secret.back() == '\n' || secret.back() == '\r' ||
                             secret.back() == ' ' || secret.back() == '\t')) {
    secret.pop_back();
  }
  try {
    return PeerKeyOf(secret);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(name + ": " + e.what());
  }
}

Transcript& Transcript::Add(std::string_view part) {
  const auto size = static_cast<std::uint32_t>(part.size());
  for (int shift = 24; shift >= 0; shift -= 8) text_ += static_cast<char>((size >> shift) & 0xFF);
  text_ += part;
  return *this;
}

PeerProofs::PeerProofs(const PeerKey& secret, const Transcript& transcript)
    : secret_(secret), transcript_(transcript.text()) {
  StartSodium();
}

std::string PeerProofs::Mac(std::string_view label) const {
  return Hmac(secret_, label, transcript_);
}

std::string PeerProofs::DialerProof() const {
  return Mac("znsim peer: dialer proof");
}

std::string PeerProofs::AcceptorProof() const {
  return Mac("znsim peer: acceptor proof");
}

PeerKey PeerProofs::DialerKey() const {
  return KeyOf(Mac("znsim peer: dialer frames"));
}

PeerKey PeerProofs::AcceptorKey() const {
  return KeyOf(Mac("znsim peer: acceptor frames"));
}

bool PeerProofs::Same(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

static_assert(FrameSeal::kTagBytes == crypto_auth_hmacsha256_BYTES);

std::string FrameSeal::Tag(std::string_view body) const {
  std::string number(8, '\0');
  for (int i = 0; i < 8; ++i) number[i] = static_cast<char>((number_ >> (8 * i)) & 0xFF);
  return Hmac(key_, number, body);
}

void FrameSeal::Seal(std::string& body) {
  body += Tag(body);
  ++number_;
}

bool FrameSeal::Open(std::string_view& body) {
  if (body.size() < kTagBytes) return false;
  const std::string_view payload = body.substr(0, body.size() - kTagBytes);
  if (!PeerProofs::Same(Tag(payload), body.substr(payload.size()))) return false;
  body = payload;
  ++number_;
  return true;
}

}  // namespace znsim
