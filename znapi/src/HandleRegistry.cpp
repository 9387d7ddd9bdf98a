#include "HandleRegistry.h"

#include <limits>
#include <vector>

namespace znapi::detail {

std::int32_t HandleRegistry::Add(HandleObject object, std::int32_t owner) {
  std::lock_guard lock(mutex_);
  if (last_ == std::numeric_limits<std::int32_t>::max()) return 0;
  Entry* parent = nullptr;
  if (owner != 0) {
    const auto it = entries_.find(owner);
    if (it == entries_.end()) return 0;
    parent = &it->second;
  }
  const std::int32_t handle = ++last_;
  // Reserve the child link first: if inserting the entry throws, nothing dangles.
  if (parent) parent->owned.insert(handle);
  try {
    entries_.emplace(handle, Entry{std::move(object), owner, {}});
  } catch (...) {
    if (parent) parent->owned.erase(handle);
    throw;
  }
  return handle;
}

bool HandleRegistry::Remove(std::int32_t handle) {
  std::lock_guard lock(mutex_);
  if (!entries_.contains(handle)) return false;
  RemoveLocked(handle);
  return true;
}

void HandleRegistry::RemoveLocked(std::int32_t handle) {
  const auto it = entries_.find(handle);
  if (it == entries_.end()) return;
  if (it->second.owner != 0) {
    const auto parent = entries_.find(it->second.owner);
    if (parent != entries_.end()) parent->second.owned.erase(handle);
  }
  // Depth-first with an explicit stack: a list may own many thousands of items.
  std::vector<std::int32_t> pending{handle};
  while (!pending.empty()) {
    const std::int32_t current = pending.back();
    pending.pop_back();
    const auto found = entries_.find(current);
    if (found == entries_.end()) continue;
    pending.insert(pending.end(), found->second.owned.begin(), found->second.owned.end());
    entries_.erase(found);
  }
}

std::size_t HandleRegistry::size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

HandleRegistry& Handles() {
  static HandleRegistry registry;
  return registry;
}

}  // namespace znapi::detail
