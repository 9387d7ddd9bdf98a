#include "ArenaResponse.h"

namespace znapi::detail {
namespace {

google::protobuf::ArenaOptions Options() {
  google::protobuf::ArenaOptions options;
  // A page of rows takes a few hundred kilobytes: blocks that double up to a megabyte.
  options.start_block_size = 16 * 1024;
  options.max_block_size = 1024 * 1024;
  return options;
}

}  // namespace

ArenaResponse::ArenaResponse()
    : arena_(std::make_unique<google::protobuf::Arena>(Options())),
      response_(google::protobuf::Arena::CreateMessage<znwire::Response>(arena_.get())) {}

}  // namespace znapi::detail
