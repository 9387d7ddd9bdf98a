#pragma once
/// The three name lists that Load Tags fetches from the server, and the small rules that turn
/// what the library returns into box entries, captions and progress steps.
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

namespace app {

/// Where one list comes from and how its load is reported.
struct NameListSource {
  const char* table;       // search table or query text passed to znFindFirst
  const char* property;    // record field that holds the name
  const char* kindWord;    // in "Failed to find any <kind> tags!"
  const char* statusText;  // caption of the progress strip
};

/// Index 0: tags, 1: alarm tags, 2: trends (the index of the box and its count label).
inline constexpr std::array<NameListSource, 3> kNameLists{{
    {"Tag", "Tag", "", "Loading tags..."},
    {"ZNAPIAlarm(0, 4, 0)", "Tag", "alarm", "Loading alarms..."},
    {"_Trend", "Name", "trend", "Loading trends..."},
}};

inline constexpr const char* kNameListFilter = "*";
/// A box holds at most this many names; the rest of a larger search is not fetched.
inline constexpr std::int32_t kNameListCap = 32767;
/// Length of the buffer a name is read into; longer names arrive cut by the library.
inline constexpr std::int32_t kNameBufferLength = 32;
/// The type code under which the library answers a property as text.
inline constexpr std::int32_t kPropertyAsText = 129;

/// The entry for a name buffer: the text up to the first NUL with leading blanks removed.
/// Trailing blanks go too, but only when the name fills the whole buffer without a NUL.
QString NameFromBuffer(const char* buffer, std::size_t length);

/// "Failed to find any " + kind + " tags!" (two blanks together when kind is empty).
QString NoNamesFoundText(const char* kindWord);

/// "Tags: " + the number of records the server reports for the list.
QString NameCountCaption(std::int32_t total);

/// Bar width per name so that the last of `total` names fills `drawableWidth`.
/// Throws std::domain_error("Division by zero") when the server reports no records.
float ProgressScale(int drawableWidth, std::int32_t total);

}  // namespace app
