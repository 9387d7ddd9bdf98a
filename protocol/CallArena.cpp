#include "CallArena.h"

namespace znwire {
namespace {

google::protobuf::ArenaOptions InBlock(char* block, std::size_t size) {
  google::protobuf::ArenaOptions options;
  options.initial_block = block;
  options.initial_block_size = size;
  return options;
}

}  // namespace

CallArena::CallArena() : arena_(InBlock(block_.data(), block_.size())) {}

}  // namespace znwire
