#include "HandleRegistry.h"

#include <array>
#include <limits>
#include <vector>

#include "LastError.h"

namespace znapi::detail {
namespace {

// In the order of HandleObject's alternatives.
constexpr std::array<const char*, std::variant_size_v<HandleObject>> kKindNames{
    "connection", "search", "record", "list", "list item"};

}  // namespace

std::int32_t HandleRegistry::Add(HandleObject object, std::int32_t owner) {
  std::lock_guard lock(mutex_);
  if (last_ == std::numeric_limits<std::int32_t>::max()) {
    SetReason("no handle numbers are left in this process");
    return 0;
  }
  Entry* parent = nullptr;
  if (owner != 0) {
    const auto it = entries_.find(owner);
    if (it == entries_.end()) {
      SetReason("handle " + std::to_string(owner) + " was closed meanwhile");
      return 0;
    }
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

std::string HandleRegistry::MissingAs(std::int32_t handle, std::size_t kind) const {
  const std::string wanted = kKindNames[kind];
  const std::string number = std::to_string(handle);
  std::lock_guard lock(mutex_);
  if (const auto it = entries_.find(handle); it != entries_.end()) {
    return "handle " + number + " is a " + kKindNames[it->second.object.index()] + ", not a " +
           wanted;
  }
  if (handle > 0 && handle <= last_) return wanted + " " + number + " is closed";
  return "there is no " + wanted + " " + number;
}

HandleRegistry& Handles() {
  static HandleRegistry registry;
  return registry;
}

}  // namespace znapi::detail
