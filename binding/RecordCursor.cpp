#include "RecordCursor.h"

#include <cstring>
#include <utility>

#include "znapi.h"

namespace binding {

static_assert(static_cast<std::int32_t>(ScrollMode::First) == ZNAPI_SCROLL_FIRST);
static_assert(static_cast<std::int32_t>(ScrollMode::Count) == ZNAPI_SCROLL_COUNT);
static_assert(kPropertyAsText == ZNAPI_TYPE_TEXT);

RecordCursor::RecordCursor(ZnApi& api, std::int32_t connection, const std::string& table)
    : api_(api) {
  search_ = api_.znFindFirst(connection, table.c_str(), "*", &object_, 0);
  if (search_ == 0) failure_ = api_.LastReason();
}

RecordCursor::~RecordCursor() {
  try {
    Close();
  } catch (...) {  // a destructor must not throw; a lost close costs the server one handle
  }
}

std::int32_t RecordCursor::Count() {
  return api_.znFindScroll(search_, static_cast<std::int32_t>(ScrollMode::Count), 0, &object_);
}

void RecordCursor::First() {
  api_.znFindScroll(search_, static_cast<std::int32_t>(ScrollMode::First), 0, &object_);
}

bool RecordCursor::Next() {
  return api_.znFindNext(search_, &object_) != 0;
}

FieldBuffer RecordCursor::Field(const std::string& property) {
  FieldBuffer field;
  std::int32_t resultLength = 0;
  field.result = api_.znGetProperty(object_, property.c_str(), field.bytes.data(),
                                    static_cast<std::int32_t>(field.bytes.size()), &resultLength,
                                    kPropertyAsText);
  return field;
}

bool RecordCursor::ReadWhole(const std::string& property, std::string& text) {
  text.clear();
  for (;;) {
    wide_[0] = '\0';
    std::int32_t resultLength = 0;
    if (api_.znGetProperty(object_, property.c_str(), wide_.data(),
                           static_cast<std::int32_t>(wide_.size()), &resultLength,
                           kPropertyAsText) == 0)
      return false;
    const std::size_t n = strnlen(wide_.data(), wide_.size());
    if (n + 1 < wide_.size() || wide_.size() >= kLongestText) {
      text.assign(wide_.data(), n);
      return true;
    }
    wide_.resize(wide_.size() * 16);
  }
}

void RecordCursor::Close() {
  if (search_ == 0) return;
  api_.znFindClose(std::exchange(search_, 0));
}

}  // namespace binding
