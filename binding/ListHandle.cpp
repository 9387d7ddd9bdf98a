#include "ListHandle.h"

#include "ResultBuffer.h"

namespace binding {

ListHandle::ListHandle(ZnApi& api, std::int32_t connection)
    : api_(api), list_(api.znListNew(connection, 0)) {}

ListHandle::~ListHandle() {
  if (list_ == 0) return;
  try {
    api_.znListFree(list_);
  } catch (...) {  // the library vanished; the server frees the list with the connection
  }
}

void ListHandle::Read(const std::vector<std::string>& tags, ListReading& reading,
                      const SecondsClock& now) {
  reading = {};
  const std::int64_t start = now ? now() : 0;
  items_.clear();
  Add(tags);
  api_.znListRead(list_, 0);
  if (now) reading.seconds = static_cast<std::int32_t>(now() - start);
  TakeValues(reading);
}

void ListHandle::Add(const std::vector<std::string>& tags) {
  items_.reserve(items_.size() + tags.size());
  for (const std::string& tag : tags) items_.push_back(api_.znListAdd(list_, tag.c_str()));
}

bool ListHandle::ReadAdded(ListReading& reading) {
  reading = {};
  if (api_.znListRead(list_, 0) != 0) {
    TakeValues(reading);
    return true;
  }
  // Nothing to take: the library's reason for the read stays the last one for the caller.
  reading.values.reserve(items_.size());
  for (const std::int32_t item : items_)
    reading.values.push_back(
        {item == 0 ? ListValue::Outcome::NotAdded : ListValue::Outcome::NotRead, {}});
  return false;
}

void ListHandle::TakeValues(ListReading& reading) {
  reading.values.reserve(items_.size());
  ResultBuffer value;
  for (const std::int32_t item : items_) {
    ListValue out{ListValue::Outcome::NotAdded, {}};
    if (item != 0) {
      value.Clear();
      const bool read = api_.znListData(item, value.data(), value.length(), 0) != 0;
      out.outcome = read ? ListValue::Outcome::Read : ListValue::Outcome::NotRead;
      if (read) out.text = value.text();
    }
    reading.values.push_back(std::move(out));
  }
}

}  // namespace binding
