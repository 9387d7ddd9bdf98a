#pragma once
/// Turns the table text of a find into its rows: the plain tables "Tag", "_Trend" and each
/// device name, or a query call such as ZNAPIAlarm(0, 0, 0), ZNAPIAlarmSummary(...) and
/// ZNAPITrend(...).
#include <cstdint>
#include <memory>
#include <string>

#include "Plant.h"
#include "ResultSet.h"

namespace znsim {

struct QueryOutcome {
  std::shared_ptr<const ResultSet> rows;  // null on failure
  std::string error;
};

/// True when `table` opens in microseconds: its rows are made a page at a time from memory,
/// with neither the disk nor a copy of the whole table.
bool OpensAtOnce(const std::string& table);

/// `maxRows` bounds every result: a query that would yield more fails instead.
QueryOutcome OpenQuery(Plant& plant, const std::string& table, std::uint64_t maxRows);

}  // namespace znsim
