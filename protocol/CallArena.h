#pragma once
/// Memory for the messages of one short call, in a block of its own that every call reuses:
/// a request and its reply made here cost no allocation while they fit the block, and their
/// texts none while each fits in a string's own storage (15 bytes). Reset() frees everything
/// the last call made.
#include <google/protobuf/arena.h>

#include <array>
#include <cstddef>

namespace znwire {

class CallArena {
 public:
  CallArena();
  CallArena(const CallArena&) = delete;
  CallArena& operator=(const CallArena&) = delete;

  /// Frees what the last call made; messages made before are gone.
  void Reset() { arena_.Reset(); }
  template <class Message>
  Message* Make() {
    return google::protobuf::Arena::CreateMessage<Message>(&arena_);
  }

 private:
  // A tag read or a short script and their replies take well under a kilobyte; larger ones
  // go on in blocks the arena allocates.
  alignas(std::max_align_t) std::array<char, 4096> block_;
  google::protobuf::Arena arena_;
};

}  // namespace znwire
