#pragma once
/// A list of tags read together in one round trip, and the outcome of its last read per item.
#include <google/protobuf/arena.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ListReadReply.h"
#include "znwire.pb.h"

namespace znapi::detail {

class ServerConnection;

class TagList {
 public:
  explicit TagList(std::shared_ptr<ServerConnection> connection);

  /// Guards the tags and the outcomes; taken before the connection's mutex, never after.
  std::mutex& mutex() { return mutex_; }
  ServerConnection& connection() { return *connection_; }

  /// Appends a tag; returns its index.
  std::size_t Add(std::string tag);
  /// The request that reads every tag of the list; it is kept whole between reads.
  znwire::Request& ReadRequest() { return *request_; }
  /// Keeps the outcome of each item; a reply that is malformed or does not hold one item per
  /// tag is refused and leaves the list unread.
  bool Store(znwire::ListReadResponse reply);
  /// Forgets the last read, as after a failed one.
  void Forget() {
    items_.clear();
    reply_.Clear();
    read_ = Read::Failed;
  }
  /// The value item `index` got at the last read; nullopt when the tag could not be read,
  /// was added after that read, or the list was never read.
  std::optional<std::string_view> Value(std::size_t index) const;
  /// Why item `index` has no value.
  std::string NoValue(std::size_t index) const;
  std::size_t size() const { return static_cast<std::size_t>(request_->list_read().tags_size()); }

 private:
  std::mutex mutex_;
  std::shared_ptr<ServerConnection> connection_;
  // The tags' strings are many and small: they live in an arena of the list's own.
  google::protobuf::Arena arena_;
  znwire::Request* request_;                  // owned by arena_
  znwire::ListReadResponse reply_;            // the last read's, its items read in place
  std::vector<znwire::ListItemPlace> items_;  // one per tag after a read
  enum class Read { Never, Failed, Done } read_ = Read::Never;
};

}  // namespace znapi::detail
