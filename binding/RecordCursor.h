#pragma once
/// A walk over the records of one find: a table, a device or a query text. The find is closed
/// when the cursor goes, whatever ended the walk (the last record, a cancel, the window
/// closing, or an error thrown on the way). Texts are Windows-1252.
#include <cstdint>
#include <string>
#include <vector>

#include "FieldBuffer.h"
#include "ZnApi.h"

namespace binding {

/// What znFindScroll is asked to do.
enum class ScrollMode : std::int32_t {
  First = 3,  // back to the first record
  Count = 4,  // the number of records
};

/// The type code under which the library answers a property as text.
inline constexpr std::int32_t kPropertyAsText = 129;

class RecordCursor {
 public:
  /// Starts a find of every record of `table` (the filter "*", flags 0). Library errors
  /// (LibraryError) pass to the caller here and at every step.
  RecordCursor(ZnApi& api, std::int32_t connection, const std::string& table);
  ~RecordCursor();
  RecordCursor(const RecordCursor&) = delete;
  RecordCursor& operator=(const RecordCursor&) = delete;

  /// Whether the find gave a first record.
  bool Found() const { return search_ != 0; }
  /// Why nothing was found, in the library's words; empty when it gives none.
  const std::string& Failure() const { return failure_; }
  /// The number of records the server reports for the find.
  std::int32_t Count();
  /// Back to the first record.
  void First();
  /// Moves to the next record; false after the last.
  bool Next();

  /// The walk every caller shares: `visit` for the current record and each one after it,
  /// until it returns false or the records end.
  template <class Visit>
  void Walk(Visit&& visit) {
    do {
      if (!visit()) return;
    } while (Next());
  }

  /// A property of the current record as the library answers it into a field buffer.
  FieldBuffer Field(const std::string& property);
  /// The whole text of a property of the current record, however long: a text that fills the
  /// buffer is read again into a larger one. False when the library supplies nothing; `text`
  /// is then empty.
  bool ReadWhole(const std::string& property, std::string& text);

  /// Ends the find now rather than when the cursor goes.
  void Close();

 private:
  static constexpr std::size_t kLongestText = 1 << 20;

  ZnApi& api_;
  std::int32_t search_ = 0;
  std::int32_t object_ = 0;
  std::string failure_;
  std::vector<char> wide_ = std::vector<char>(256);
};

}  // namespace binding
