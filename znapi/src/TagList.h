#pragma once
/// A list of tags read together in one round trip, and the outcome of its last read per item.
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "znwire.pb.h"

namespace znapi::detail {

class ServerConnection;

class TagList {
 public:
  explicit TagList(std::shared_ptr<ServerConnection> connection)
      : connection_(std::move(connection)) {}

  /// Guards the tags and the outcomes; taken before the connection's mutex, never after.
  std::mutex& mutex() { return mutex_; }
  ServerConnection& connection() { return *connection_; }

  /// Appends a tag; returns its index.
  std::size_t Add(std::string tag);
  /// The request that reads every tag of the list.
  znwire::ListRead ReadRequest() const;
  /// Keeps the outcome of each item; a reply that does not hold one item per tag is refused
  /// and leaves the list unread.
  bool Store(const znwire::ListReadReply& reply);
  /// Forgets the last read, as after a failed one.
  void Forget() {
    values_.clear();
    read_ = Read::Failed;
  }
  /// The value item `index` got at the last read; nullopt when the tag could not be read,
  /// was added after that read, or the list was never read.
  std::optional<std::string_view> Value(std::size_t index) const;
  /// Why item `index` has no value.
  std::string NoValue(std::size_t index) const;
  std::size_t size() const { return tags_.size(); }

 private:
  std::mutex mutex_;
  std::shared_ptr<ServerConnection> connection_;
  std::vector<std::string> tags_;
  std::vector<std::optional<std::string>> values_;
  enum class Read { Never, Failed, Done } read_ = Read::Never;
};

}  // namespace znapi::detail
