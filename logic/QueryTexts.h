#pragma once
/// What the windows and zncheck ask the server for and how the answers are laid out: the
/// browse tables behind the three name lists, the alarm and trend query texts, and the row
/// layouts of the alarm queries.
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "TextValues.h"

namespace logic {

// ---- Name lists ------------------------------------------------------------------------------

/// Where one list comes from and how its load is reported.
struct NameListSource {
  const char* table;       // table or query text of the find
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

/// A box holds at most this many names; the rest of a larger search is not fetched.
inline constexpr std::int32_t kNameListCap = 32767;
/// The entry for a name buffer: the text up to the first NUL with leading blanks removed.
/// Trailing blanks go too, but only when the name fills the whole buffer without a NUL.
QString NameFromBuffer(const char* buffer, std::size_t length);
inline QString NameFromBuffer(const binding::FieldBuffer& name) {
  return NameFromBuffer(name.bytes.data(), name.bytes.size());
}

/// "Failed to find any " + kind + " tags!" (two blanks together when kind is empty).
QString NoNamesFoundText(const char* kindWord);

/// "Tags: " + the number of records the server reports for the list.
QString NameCountCaption(std::int32_t total);

/// Bar width per name so that the last of `total` names fills `drawableWidth`.
/// Throws std::domain_error("Division by zero") when the server reports no records.
float ProgressScale(int drawableWidth, std::int32_t total);

// ---- Query texts -----------------------------------------------------------------------------

/// The alarms active now; it takes no input.
QString ActiveAlarmsQuery();

/// The alarm summary between two period texts ("dd/mm/yyyy HH:mm:ss"): start date, start
/// time, end date, end time, each quoted, then ", 0, -1".
QString AlarmSummaryQuery(const QString& startText, const QString& endText);

/// The samples of one trend: end time before end date, the period text exactly as typed, the
/// sample count and the trend name unquoted. The start enters only through the count.
QString TrendQuery(const QString& endText, const QString& periodText, std::int32_t sampleCount,
                   const QString& trendName);

// ---- Row layouts of the alarm queries --------------------------------------------------------

/// Which record field, taken by which value rule, and what follows its value in the pane.
struct FieldLayout {
  const char* name;
  ValueRule rule;
  const char* separator;
};

inline constexpr const char* kThreeBlanks = "   ";
inline constexpr const char* kTab = "\t";
inline constexpr const char* kLineEnd = "\r\n";

/// The field names of a row layout, which name its columns.
QStringList FieldNames(std::span<const FieldLayout> fields);

inline constexpr std::array<FieldLayout, 5> kActiveAlarmRow{{
    {"Date", ValueRule::Trimmed, kThreeBlanks},
    {"Time", ValueRule::Trimmed, kThreeBlanks},
    {"Tag", ValueRule::Trimmed, kTab},
    {"Name", ValueRule::Untrimmed, kTab},  // keeps the indentation that some names carry
    {"State", ValueRule::Trimmed, kLineEnd},
}};

inline constexpr std::array<FieldLayout, 8> kAlarmSummaryRow{{
    {"OnDate", ValueRule::Trimmed, kThreeBlanks},
    {"OnTime", ValueRule::Trimmed, kThreeBlanks},
    {"OffDate", ValueRule::Trimmed, kThreeBlanks},
    {"OffTime", ValueRule::Trimmed, kThreeBlanks},
    {"Tag", ValueRule::Trimmed, kTab},
    {"Name", ValueRule::Trimmed, kTab},
    {"SumState", ValueRule::Trimmed, kTab},
    {"Comment", ValueRule::Trimmed, kLineEnd},
}};

}  // namespace logic
