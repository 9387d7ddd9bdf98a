#pragma once
/// One find over a query's records, closed when it goes out of scope whatever ended the walk
/// (last record, cancel, close of the window, or an error thrown on the way).
#include <QString>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "TextValues.h"
#include "ZnApi.h"

namespace logic {

class RecordCursor {
 public:
  /// Starts the find with the filter "*" (every record) and flags 0.
  RecordCursor(server::ZnApi& api, std::int32_t connection, const QString& table) : api_(api) {
    search_ = api_.znFindFirst(connection, ToAnsi(table).c_str(), "*", &object_, 0);
    if (search_ == 0) failure_ = api_.LastReason();
  }
  ~RecordCursor() {
    if (search_ == 0) return;
    try {
      api_.znFindClose(search_);
    } catch (...) {  // a destructor must not throw; a lost close costs the server one handle
    }
  }
  RecordCursor(const RecordCursor&) = delete;
  RecordCursor& operator=(const RecordCursor&) = delete;

  bool Found() const { return search_ != 0; }
  /// Why nothing was found, in the library's Windows-1252 words; empty when it gives none.
  const std::string& Failure() const { return failure_; }
  /// Moves to the next record; false at the end.
  bool Next() { return api_.znFindNext(search_, &object_) != 0; }

  /// Reads a property of the current record as text into a fresh NUL-filled field buffer.
  /// Returns the library's result; the value is empty when it supplied nothing.
  std::int32_t Read(const std::string& property, ValueRule rule, QString& value) {
    std::array<char, kFieldBufferLength> buffer{};
    std::int32_t resultLength = 0;
    const std::int32_t ok = api_.znGetProperty(object_, property.c_str(), buffer.data(),
                                               static_cast<std::int32_t>(buffer.size()),
                                               &resultLength, kPropertyAsText);
    value = FieldValue(buffer.data(), buffer.size(), rule);
    return ok;
  }

  /// The whole Windows-1252 text of a property of the current record, however long: a text
  /// that fills the buffer is read again into a larger one. False when the library supplies
  /// nothing; `text` is then empty.
  bool ReadWhole(const char* property, std::string& text) {
    text.clear();
    for (;;) {
      wide_[0] = '\0';
      std::int32_t resultLength = 0;
      if (api_.znGetProperty(object_, property, wide_.data(),
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

 private:
  static constexpr std::size_t kLongestText = 1 << 20;

  server::ZnApi& api_;
  std::int32_t search_ = 0;
  std::int32_t object_ = 0;
  std::string failure_;
  std::vector<char> wide_ = std::vector<char>(256);
};

}  // namespace logic
