#pragma once
/// The row layouts of the alarm queries: which record fields, in which order, taken by which
/// value rule, and what follows each value in the result pane.
#include <array>

#include "ValueRule.h"

namespace app {

struct FieldLayout {
  const char* name;
  ValueRule rule;
  const char* separator;
};

inline constexpr const char* kThreeBlanks = "   ";
inline constexpr const char* kTab = "\t";
inline constexpr const char* kLineEnd = "\r\n";

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

}  // namespace app
