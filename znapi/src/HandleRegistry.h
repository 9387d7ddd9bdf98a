#pragma once
/// The process-wide table of handles: positive numbers from one counter, never reused, each
/// naming one object of one kind. An object may own others (a connection its searches and
/// lists, a search its records, a list its items); removing it removes them too.
///
/// The members of a series (the items of a list, the records of a search) take numbers in
/// runs: while nothing else takes a number in between, a new member only extends its run, so
/// a list of 100,000 items or a walk through 100,000 records costs one entry, not one each.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_set>
#include <utility>
#include <variant>

namespace znapi::detail {

class ServerConnection;
class TagList;
struct Search;

/// The records of a search: its record handles, of which only the latest is valid.
struct Records {
  std::shared_ptr<Search> search;
};
/// The items of a list: member n is the list's item n.
struct Items {
  std::shared_ptr<TagList> list;
};

using HandleObject = std::variant<std::shared_ptr<ServerConnection>, std::shared_ptr<Search>,
                                  Records, std::shared_ptr<TagList>, Items>;

class HandleRegistry {
 public:
  /// A new handle for `object`, owned by `owner` (0 for none). 0, with its reason recorded,
  /// when the owner is no longer registered or the handle numbers are used up.
  std::int32_t Add(HandleObject object, std::int32_t owner = 0);

  /// What to do with the earlier members of a series when a new one is added.
  enum class Earlier { Stay, Fail };
  /// A new handle for member `index` of the series `series` (Records or Items), owned by
  /// `owner`, the series' own handle. With Earlier::Fail the earlier members' handles are
  /// forgotten (their numbers stay used). 0 when the owner is gone or numbers are used up.
  std::int32_t AddMember(HandleObject series, std::int32_t owner, std::uint64_t index,
                         Earlier earlier);

  /// The object of `handle` when it is of kind T; nullptr for any other handle.
  template <class T>
  std::shared_ptr<T> Find(std::int32_t handle) const {
    std::lock_guard lock(mutex_);
    const auto* entry = EntryOf(handle);
    if (!entry) return nullptr;
    const auto* object = std::get_if<std::shared_ptr<T>>(&entry->object);
    return object ? *object : nullptr;
  }

  /// The series of a member handle when it is of kind Series, with the member's index.
  template <class Series>
  std::optional<std::pair<Series, std::uint64_t>> FindMember(std::int32_t handle) const {
    std::lock_guard lock(mutex_);
    const auto* entry = EntryOf(handle);
    if (!entry) return std::nullopt;
    const auto* series = std::get_if<Series>(&entry->object);
    if (!series) return std::nullopt;
    return std::pair{*series, entry->base + static_cast<std::uint64_t>(handle - entry->first)};
  }

  /// Removes `handle` and everything it owns; false when it is not registered.
  bool Remove(std::int32_t handle);
  /// Removes `handle` only if it is of kind T, with everything it owns; returns its object.
  template <class T>
  std::shared_ptr<T> Take(std::int32_t handle) {
    std::lock_guard lock(mutex_);
    const auto* entry = EntryOf(handle);
    if (!entry || entry->count != 1) return nullptr;
    const auto* object = std::get_if<std::shared_ptr<T>>(&entry->object);
    if (!object) return nullptr;
    auto taken = *object;
    RemoveLocked(handle);
    return taken;
  }

  /// The number of entries: single handles and runs of members.
  std::size_t size() const;

  /// Why `handle` names no object of kind T: closed, of another kind, or never handed out.
  template <class T>
  std::string Missing(std::int32_t handle) const {
    if constexpr (std::is_same_v<T, Records> || std::is_same_v<T, Items>) {
      return MissingAs(handle, HandleObject(T{}).index());
    } else {
      return MissingAs(handle, HandleObject(std::shared_ptr<T>()).index());
    }
  }

 private:
  struct Entry {
    HandleObject object;
    std::int32_t owner = 0;
    std::int32_t first = 0;                  // the entry's first handle
    std::int32_t count = 1;                  // handles first .. first + count - 1
    std::uint64_t base = 0;                  // a run's member index at `first`
    std::int32_t latestRun = 0;              // an owner's: the first handle of its latest run
    std::unordered_set<std::int32_t> owned;  // first handles of the entries it owns
  };
  const Entry* EntryOf(std::int32_t handle) const;
  Entry* EntryOf(std::int32_t handle) {
    return const_cast<Entry*>(std::as_const(*this).EntryOf(handle));
  }
  /// The next handle number, 0 when they are used up.
  std::int32_t Next();
  void RemoveLocked(std::int32_t first);
  std::string MissingAs(std::int32_t handle, std::size_t kind) const;

  mutable std::mutex mutex_;
  std::int32_t last_ = 0;
  std::map<std::int32_t, Entry> entries_;  // by first handle
};

/// The registry that the exported functions share.
HandleRegistry& Handles();

}  // namespace znapi::detail
