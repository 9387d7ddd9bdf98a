#include "FakeZnApi.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <type_traits>

namespace fake {

namespace {
std::string str(const char* s) {
  return s ? std::string(s) : std::string("<null>");
}

const Field* findField(const Record& r, const std::string& name) {
  for (const auto& f : r)
    if (f.name == name) return &f;
  return nullptr;
}

// The in-arguments of a call as texts: numbers, texts and the password.
template <binding::ZnOp op, class Arguments>
std::vector<std::string> InArguments(const Arguments& arguments) {
  std::vector<std::string> texts;
  binding::ForEachArgument<op>(
      [&](char, const auto& argument) {
        using T = std::decay_t<decltype(argument)>;
        if constexpr (std::is_same_v<T, std::int32_t>) texts.push_back(std::to_string(argument));
        if constexpr (std::is_same_v<T, const char*>) texts.push_back(str(argument));
      },
      arguments);
  return texts;
}
}  // namespace

std::vector<Call> FakeZnApi::callsOf(const std::string& name) const {
  std::vector<Call> out;
  for (const auto& c : calls)
    if (c.name == name) out.push_back(c);
  return out;
}

std::vector<std::string> FakeZnApi::argsOf(const std::string& name, std::size_t arg) const {
  std::vector<std::string> out;
  for (const auto& c : callsOf(name)) out.push_back(c.args.at(arg));
  return out;
}

int FakeZnApi::countOf(const std::string& name) const {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [&](const Call& c) { return c.name == name; }));
}

std::set<std::int32_t> FakeLibrary::openConnections() const {
  std::set<std::int32_t> out;
  for (const auto& [h, _] : connections_)
    if (!closed_.count(h)) out.insert(h);
  return out;
}

std::set<std::int32_t> FakeLibrary::openSearches() const {
  std::set<std::int32_t> out;
  for (const auto& [h, s] : searches_)
    if (s.open) out.insert(h);
  return out;
}

std::set<std::int32_t> FakeLibrary::openLists() const {
  std::set<std::int32_t> out;
  for (const auto& [h, l] : lists_)
    if (l.open) out.insert(h);
  return out;
}

void FakeZnApi::record(std::string name, std::vector<std::string> args) {
  calls.push_back({std::move(name), std::move(args)});
  if (missingLibrary) throw binding::LibraryError(*missingLibrary);
  if (onCall) onCall(calls.back());
}

Server* FakeLibrary::live(std::int32_t h) {
  auto it = connections_.find(h);
  if (it == connections_.end() || closed_.count(h)) return nullptr;
  auto s = servers.find(it->second);
  if (s == servers.end() || !s->second.up) return nullptr;
  return &s->second;
}

std::int32_t FakeLibrary::put(const std::string& text, char* buffer, std::int32_t length) {
  if (!buffer || length <= 0) return 0;
  const auto n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(length));
  std::memcpy(buffer, text.data(), n);
  if (n < static_cast<std::size_t>(length)) buffer[n] = '\0';
  return static_cast<std::int32_t>(n);
}

std::int32_t FakeLibrary::znOpen(const char* computer, const char* /*user*/,
                                 const char* password, std::int32_t /*mode*/) {
  auto s = servers.find(str(computer));
  if (s == servers.end() || !s->second.up) return 0;
  if (s->second.password && *s->second.password != str(password)) return 0;
  const std::int32_t h = next_++;
  connections_[h] = s->first;
  return h;
}

std::int32_t FakeLibrary::znClose(std::int32_t h) {
  if (!connections_.count(h) || closed_.count(h)) return 0;
  closed_.insert(h);
  return 1;
}

std::int32_t FakeLibrary::znZncode(std::int32_t h, const char* function, std::int32_t /*window*/,
                                   std::int32_t /*mode*/, char* result, std::int32_t length,
                                   std::int32_t /*reserved*/) {
  Server* s = live(h);
  if (!s) return 0;
  std::optional<std::string> answer;
  if (s->zncode) answer = s->zncode(str(function));
  if (!answer && str(function) == "Time(1)") answer = s->time;
  if (!answer) return 0;
  put(*answer, result, length);
  return 1;
}

std::int32_t FakeLibrary::znTagRead(std::int32_t h, const char* tag, char* value,
                                    std::int32_t length) {
  Server* s = live(h);
  if (!s) return 0;
  auto t = s->tags.find(str(tag));
  if (t == s->tags.end()) return 0;
  put(t->second, value, length);
  return 1;
}

std::int32_t FakeLibrary::znTagWrite(std::int32_t h, const char* tag, const char* value) {
  Server* s = live(h);
  if (!s || s->writeRefused.count(str(tag))) return 0;
  s->tags[str(tag)] = str(value);
  return 1;
}

std::int32_t FakeLibrary::znFindFirst(std::int32_t h, const char* table, const char* /*filter*/,
                                      std::int32_t* object, std::int32_t /*flags*/) {
  Server* s = live(h);
  if (!s) return 0;
  auto t = s->tables.find(str(table));
  if (t == s->tables.end() || t->second.records.empty()) return 0;
  const std::int32_t search = next_++;
  searches_[search] = Search{connections_[h], &t->second, 0, true};
  const std::int32_t o = next_++;
  objects_[o] = {search, 0};
  if (object) *object = o;
  return search;
}

std::int32_t FakeLibrary::znFindNext(std::int32_t search, std::int32_t* object) {
  auto it = searches_.find(search);
  if (it == searches_.end() || !it->second.open) return 0;
  Search& s = it->second;
  if (s.row + 1 >= s.table->records.size()) return 0;
  ++s.row;
  const std::int32_t o = next_++;
  objects_[o] = {search, s.row};
  if (object) *object = o;
  return 1;
}

std::int32_t FakeLibrary::znFindScroll(std::int32_t search, std::int32_t mode,
                                       std::int32_t /*offset*/, std::int32_t* object) {
  auto it = searches_.find(search);
  if (it == searches_.end() || !it->second.open) return 0;
  Search& s = it->second;
  if (mode == 4)
    return s.table->reportedTotal.value_or(static_cast<std::int32_t>(s.table->records.size()));
  if (mode == 3) {
    s.row = 0;
    const std::int32_t o = next_++;
    objects_[o] = {search, 0};
    if (object) *object = o;
    return 1;
  }
  return 0;
}

std::int32_t FakeLibrary::znGetProperty(std::int32_t object, const char* name, char* buffer,
                                        std::int32_t length, std::int32_t* resultLength,
                                        std::int32_t /*type*/) {
  auto o = objects_.find(object);
  if (o == objects_.end()) return 0;
  const Search& s = searches_.at(o->second.first);
  if (!s.open) return 0;
  const Record& r = s.table->records.at(o->second.second);
  const std::string n = str(name);
  std::optional<std::string> value;
  if (const Field* f = findField(r, n)) {
    value = f->value;
  } else if (n == "object.fields.Count") {
    value = std::to_string(r.size());
  } else if (n.rfind("object.fields(", 0) == 0 && n.size() > 20 &&
             n.substr(n.size() - 6) == ").Name") {
    const std::string digits = n.substr(14, n.size() - 20);
    const std::size_t i =
        digits.find_first_not_of("0123456789") == std::string::npos && !digits.empty()
            ? std::stoul(digits)
            : 0;
    if (i >= 1 && i <= r.size()) value = r[i - 1].name;
  }
  if (!value) return 0;
  const std::int32_t n_written = put(*value, buffer, length);
  if (resultLength) *resultLength = n_written;
  return 1;
}

std::int32_t FakeLibrary::znFindClose(std::int32_t search) {
  auto it = searches_.find(search);
  if (it == searches_.end() || !it->second.open) return 0;
  it->second.open = false;
  return 1;
}

std::int32_t FakeLibrary::znListNew(std::int32_t h, std::int32_t /*mode*/) {
  if (!live(h)) return 0;
  const std::int32_t l = next_++;
  lists_[l] = List{connections_[h], {}, true};
  return l;
}

std::int32_t FakeLibrary::znListAdd(std::int32_t list, const char* tag) {
  auto it = lists_.find(list);
  if (it == lists_.end() || !it->second.open || !tag || !*tag) return 0;
  if (servers[it->second.computer].listAddRefused.count(tag)) return 0;
  const std::int32_t i = next_++;
  items_[i] = Item{list, tag, std::nullopt};
  it->second.items.push_back(i);
  return i;
}

std::int32_t FakeLibrary::znListRead(std::int32_t list, std::int32_t /*reserved*/) {
  auto it = lists_.find(list);
  if (it == lists_.end() || !it->second.open) return 0;
  Server& s = servers[it->second.computer];
  if (!s.up) return 0;
  for (std::int32_t i : it->second.items) {
    auto t = s.tags.find(items_[i].tag);
    items_[i].value = t == s.tags.end() ? std::nullopt : std::optional<std::string>(t->second);
  }
  return 1;
}

std::int32_t FakeLibrary::znListData(std::int32_t item, char* value, std::int32_t length,
                                     std::int32_t /*mode*/) {
  auto it = items_.find(item);
  if (it == items_.end() || !lists_[it->second.list].open || !it->second.value) return 0;
  put(*it->second.value, value, length);
  return 1;
}

std::int32_t FakeLibrary::znListFree(std::int32_t list) {
  auto it = lists_.find(list);
  if (it == lists_.end() || !it->second.open) return 0;
  it->second.open = false;
  return 1;
}

std::int32_t FakeLibrary::znLastError(char* buffer, std::int32_t length) {
  if (calls.empty() || !buffer || length <= 0) return 0;
  const auto reason = reasons.find(calls.back().name);
  if (reason == reasons.end()) return 0;
  put(reason->second, buffer, length);
  return 1;
}

#define ZN_DEFINE(name, role, kinds, parameters, arguments)                \
  std::int32_t FakeZnApi::name parameters {                                \
    if constexpr (binding::OpRole::role == binding::OpRole::Call)          \
      record(#name, InArguments<binding::ZnOp::name>(std::tie arguments)); \
    return FakeLibrary::name arguments;                                    \
  }
ZN_OPERATIONS(ZN_DEFINE)
#undef ZN_DEFINE

}  // namespace fake
