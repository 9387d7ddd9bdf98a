#pragma once
/// The process-wide table of handles: positive numbers from one counter, never reused, each
/// naming one object of one kind. An object may own others (a connection its searches and
/// lists, a search its record, a list its items); removing it removes them too.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <variant>

namespace znapi::detail {

class ServerConnection;
class TagList;
struct Search;
struct Record;
struct ListItem;

using HandleObject =
    std::variant<std::shared_ptr<ServerConnection>, std::shared_ptr<Search>,
                 std::shared_ptr<Record>, std::shared_ptr<TagList>, std::shared_ptr<ListItem>>;

class HandleRegistry {
 public:
  /// A new handle for `object`, owned by `owner` (0 for none). 0, with its reason recorded,
  /// when the owner is no longer registered or the handle numbers are used up.
  std::int32_t Add(HandleObject object, std::int32_t owner = 0);

  /// The object of `handle` when it is of kind T; nullptr for any other handle.
  template <class T>
  std::shared_ptr<T> Find(std::int32_t handle) const {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(handle);
    if (it == entries_.end()) return nullptr;
    const auto* object = std::get_if<std::shared_ptr<T>>(&it->second.object);
    return object ? *object : nullptr;
  }

  /// Removes `handle` and everything it owns; false when it is not registered.
  bool Remove(std::int32_t handle);
  /// Removes `handle` only if it is of kind T, with everything it owns; returns its object.
  template <class T>
  std::shared_ptr<T> Take(std::int32_t handle) {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(handle);
    if (it == entries_.end()) return nullptr;
    const auto* object = std::get_if<std::shared_ptr<T>>(&it->second.object);
    if (!object) return nullptr;
    auto taken = *object;
    RemoveLocked(handle);
    return taken;
  }

  std::size_t size() const;

  /// Why `handle` names no object of kind T: closed, of another kind, or never handed out.
  template <class T>
  std::string Missing(std::int32_t handle) const {
    return MissingAs(handle, HandleObject(std::shared_ptr<T>()).index());
  }

 private:
  struct Entry {
    HandleObject object;
    std::int32_t owner = 0;
    std::unordered_set<std::int32_t> owned;
  };
  void RemoveLocked(std::int32_t handle);
  std::string MissingAs(std::int32_t handle, std::size_t kind) const;

  mutable std::mutex mutex_;
  std::int32_t last_ = 0;
  std::unordered_map<std::int32_t, Entry> entries_;
};

/// The registry that the exported functions share.
HandleRegistry& Handles();

}  // namespace znapi::detail
