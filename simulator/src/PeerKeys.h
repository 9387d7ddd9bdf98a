#pragma once
/// The shared secret of a pair and what is made of it. Neither server ever sends the secret:
/// the handshake shows that each side knows it by a proof over a transcript of the opening
/// (both names, fresh random numbers from each side, the transport chosen and, over TLS, a
/// value bound to the TLS session), and every later frame carries a tag made with a key
/// derived from the same transcript. A frame changed, replayed, dropped or reordered, or a
/// handshake relayed between two other connections, is refused.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace znsim {

using PeerKey = std::array<unsigned char, 32>;

/// The shortest secret accepted, in bytes.
inline constexpr std::size_t kPeerSecretMinimum = 16;

/// The key of the secret in `file` (trailing blanks and line ends left out). Throws naming the
/// file when it cannot be read, when users other than its owner may read it, or when the
/// secret is shorter than kPeerSecretMinimum.
PeerKey LoadPeerSecret(const std::filesystem::path& file);
/// The key of a secret given as text; throws when it is too short.
PeerKey PeerKeyOf(std::string_view secret);

/// Builds a transcript from its parts, each preceded by its length, so that no two different
/// openings give the same transcript.
class Transcript {
 public:
  Transcript& Add(std::string_view part);
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

/// The proofs and keys of one opening, which both sides compute from the same transcript.
class PeerProofs {
 public:
  PeerProofs(const PeerKey& secret, const Transcript& transcript);
  /// What the side that dialed sends, and what the side that accepted sends.
  std::string DialerProof() const;
  std::string AcceptorProof() const;
  /// Compares in constant time.
  static bool Same(std::string_view a, std::string_view b);
  /// The keys that seal the frames each side sends.
  PeerKey DialerKey() const;
  PeerKey AcceptorKey() const;

 private:
  std::string Mac(std::string_view label) const;
  PeerKey secret_;
  std::string transcript_;
};

/// Seals the frames of one direction: each gets a tag over its number in the stream and its
/// bytes.
class FrameSeal {
 public:
  static constexpr std::size_t kTagBytes = 32;
  explicit FrameSeal(const PeerKey& key) : key_(key) {}
  /// Appends the tag of the next frame to `body`.
  void Seal(std::string& body);
  /// Checks the tag of the next frame at the end of `body` and strips it; false when the
  /// frame is not the next one sealed with this key.
  bool Open(std::string_view& body);

 private:
  std::string Tag(std::string_view body) const;
  PeerKey key_;
  std::uint64_t number_ = 0;
};

}  // namespace znsim
