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

const HandleRegistry::Entry* HandleRegistry::EntryOf(std::int32_t handle) const {
  auto it = entries_.upper_bound(handle);
  if (it == entries_.begin()) return nullptr;
  --it;
  const Entry& entry = it->second;
  return handle - entry.first < entry.count ? &entry : nullptr;
}

std::int32_t HandleRegistry::Next() {
  if (last_ == std::numeric_limits<std::int32_t>::max()) {
    SetReason("no handle numbers are left in this process");
    return 0;
  }
  return ++last_;
}

std::int32_t HandleRegistry::Add(HandleObject object, std::int32_t owner) {
  std::lock_guard lock(mutex_);
  Entry* parent = nullptr;
  if (owner != 0) {
    parent = EntryOf(owner);
    if (!parent || parent->first != owner) {
      SetReason("handle " + std::to_string(owner) + " was closed meanwhile");
      return 0;
    }
  }
  const std::int32_t handle = Next();
  if (handle == 0) return 0;
  // Reserve the child link first: if inserting the entry throws, nothing dangles.
  if (parent) parent->owned.insert(handle);
  try {
    entries_.emplace(handle, Entry{std::move(object), owner, handle});
  } catch (...) {
    if (parent) parent->owned.erase(handle);
    throw;
  }
  return handle;
}

std::int32_t HandleRegistry::AddMember(HandleObject series, std::int32_t owner, std::uint64_t index,
                                       Earlier earlier) {
  std::lock_guard lock(mutex_);
  Entry* parent = EntryOf(owner);
  if (!parent || parent->first != owner) {
    SetReason("handle " + std::to_string(owner) + " was closed meanwhile");
    return 0;
  }
  const auto latest = entries_.find(parent->latestRun);
  if (latest != entries_.end()) {
    Entry& run = latest->second;
    // Extended while its last number is the last handed out and the index follows on.
    if (run.first + (run.count - 1) == last_ && run.base + run.count == index &&
        run.object.index() == series.index() && Next() != 0) {
      ++run.count;
      return last_;
    }
  }
  const std::int32_t handle = Next();
  if (handle == 0) return 0;
  parent->owned.insert(handle);
  try {
    entries_.emplace(handle, Entry{std::move(series), owner, handle, 1, index});
  } catch (...) {
    parent->owned.erase(handle);
    throw;
  }
  if (earlier == Earlier::Fail && latest != entries_.end()) {
    parent->owned.erase(latest->first);
    entries_.erase(latest);
  }
  parent->latestRun = handle;
  return handle;
}

bool HandleRegistry::Remove(std::int32_t handle) {
  std::lock_guard lock(mutex_);
  const auto* entry = EntryOf(handle);
  if (!entry || entry->first != handle) return false;
  RemoveLocked(handle);
  return true;
}

void HandleRegistry::RemoveLocked(std::int32_t first) {
  const auto it = entries_.find(first);
  if (it == entries_.end()) return;
  if (it->second.owner != 0) {
    const auto parent = entries_.find(it->second.owner);
    if (parent != entries_.end()) parent->second.owned.erase(first);
  }
  // Depth-first with an explicit stack: a connection may own many searches and lists.
  std::vector<std::int32_t> pending{first};
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
  if (const Entry* entry = EntryOf(handle)) {
    return "handle " + number + " is a " + kKindNames[entry->object.index()] + ", not a " + wanted;
  }
  if (handle > 0 && handle <= last_) return wanted + " " + number + " is closed";
  return "there is no " + wanted + " " + number;
}

HandleRegistry& Handles() {
  static HandleRegistry registry;
  return registry;
}

}  // namespace znapi::detail
