#pragma once
/// A response parsed into an arena of its own. Pages of rows and list replies hold thousands
/// of small fields, which then cost a few large allocations instead of one each, and are
/// freed at once with the reply.
#include <google/protobuf/arena.h>

#include <memory>

#include "znwire.pb.h"

namespace znapi::detail {

class ArenaResponse {
 public:
  ArenaResponse();
  znwire::Response& operator*() { return *response_; }
  const znwire::Response& operator*() const { return *response_; }
  znwire::Response* operator->() { return response_; }
  const znwire::Response* operator->() const { return response_; }

 private:
  std::unique_ptr<google::protobuf::Arena> arena_;
  znwire::Response* response_;  // owned by the arena
};

}  // namespace znapi::detail
